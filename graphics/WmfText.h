#pragma once

// The text of WMF drawings, drawn with Qt's fonts instead of libwmf's own:
// libwmf passes each string on as single bytes in its Latin fonts, so
// Japanese (or any other double-byte) text comes out as stray glyphs. Here the
// bytes are decoded by the font's Windows character set and drawn with the
// named font, the IPA fonts standing in for the Japanese Windows fonts.

#include <QByteArrayView>
#include <QColor>
#include <QFont>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

struct _wmfAPI;
struct _wmfDrawText_t;

namespace graphics {

// Text written in a font of Windows character set `charset` (the lfCharSet of
// the font), decoded. Unknown character sets are read as Windows-1252.
[[nodiscard]] QString decodeWindowsText(QByteArrayView bytes, int charset);

// The family to ask for in place of a Windows font name (the IPA fonts for the
// Japanese system fonts; other names unchanged).
[[nodiscard]] QString substituteFontFamily(const QString& windowsFamily);

// Text met while libwmf plays a drawing, drawn onto its finished picture
// (libwmf's raster device only hands its pixels over at the end, so text lies
// above the shapes drawn after it).
class WmfTextLayer {
public:
    // `frame` is the part of libwmf's device space that fills the picture of
    // `size` pixels.
    WmfTextLayer(QRectF frame, QSize size) : frame_(frame), size_(size) {}

    // Takes libwmf's text drawing on `api` (its raster device) over; the
    // layer must outlive the playing.
    void collectFrom(_wmfAPI* api);
    // Draws the collected text over the device's pixels (size() of them).
    void drawOnto(int* pixels) const;

private:
    struct Item {
        QString text;
        QFont font;
        QColor colour;
        QPointF at;         // the reference point, in pixels
        double angle = 0.0; // degrees, clockwise
    };
    static void collect(_wmfAPI* api, _wmfDrawText_t* text);

    QRectF frame_;
    QSize size_;
    QList<Item> items_;
};

} // namespace graphics
