#pragma once

// A picture stretched to fill a pane: the aspect ratio is not kept and the
// scaling is smooth. The source is converted once to a 32-bit format (smooth
// scaling of other formats is several times slower) and the scaled pixmap is
// kept until the source or the pane size changes.

#include <QImage>
#include <QPixmap>
#include <QSize>

class StretchCache {
public:
    // Takes a new source picture (a null image clears) and drops the scaled copy.
    void setSource(const QImage& image);
    void clear() { setSource(QImage()); }

    [[nodiscard]] bool hasSource() const { return !source_.isNull(); }
    // The source scaled to exactly `size`; null without a source or for an empty size.
    [[nodiscard]] const QPixmap& pixmapFor(QSize size);
    // How often the source was scaled since it was set.
    [[nodiscard]] int scaleCount() const { return scaleCount_; }

private:
    QImage source_;
    QPixmap scaled_;
    int scaleCount_ = 0;
};

// The 32-bit format an image is scaled in: premultiplied alpha when it has
// transparency, plain RGB32 otherwise.
[[nodiscard]] QImage::Format stretchFormatFor(const QImage& image);
