#pragma once

// A picture scaled smoothly to the size it is drawn at (PictureFit.h decides
// it), in device pixels, so it is sharp on high-density screens. The source is
// converted once to a 32-bit format (smooth scaling of other formats is
// several times slower) and the scaled image is kept until the source or the
// size changes. Images rather than pixmaps: a picture drawn 1:1 (the decoders
// hand over pictures at the size shown) is then drawn without any copy.

#include <QImage>
#include <QRect>
#include <QSize>

class StretchCache {
public:
    // Takes a new source picture (a null image clears) and drops the scaled copy.
    void setSource(const QImage& image);
    void clear() { setSource(QImage()); }

    [[nodiscard]] bool hasSource() const { return !source_.isNull(); }
    // The source scaled to exactly `size` (logical pixels) at `devicePixelRatio`;
    // null without a source or for an empty size.
    [[nodiscard]] const QImage& imageFor(QSize size, qreal devicePixelRatio = 1.0);
    // How often the source was scaled since it was set.
    [[nodiscard]] int scaleCount() const { return scaleCount_; }

private:
    QImage source_;
    QImage scaled_;
    int scaleCount_ = 0;
};

// Where a picture of `picture` pixels goes in a pane of `pane` pixels: as
// large as fits with its aspect ratio kept, centred. A picture that fits
// already stays 1:1, unless it covers less than a quarter of the pane (an
// icon): that one is enlarged to fit too, to stay readable.
[[nodiscard]] QRect fittedRect(QSize picture, QSize pane);

// The 32-bit format an image is scaled in: premultiplied alpha when it has
// transparency, plain RGB32 otherwise.
[[nodiscard]] QImage::Format stretchFormatFor(const QImage& image);
