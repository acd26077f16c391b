#pragma once

// The text of WMF drawings, drawn with Qt's fonts instead of libwmf's own:
// libwmf passes each string on as single bytes in its Latin fonts, so
// Japanese (or any other double-byte) text comes out as stray glyphs. Here the
// bytes are decoded by the font's Windows character set and drawn with the
// named font, the IPA fonts standing in for the Japanese Windows fonts.

#include "graphics/WmfRaster.h"
#include "graphics/WmfTextLayout.h"

#include <QByteArrayView>
#include <QColor>
#include <QFont>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <optional>

struct _wmfAPI;
struct _wmfDrawText_t;

namespace graphics {

// Text written in a font of Windows character set `charset` (the lfCharSet of
// the font), decoded. Unknown character sets are read as Windows-1252.
[[nodiscard]] QString decodeWindowsText(QByteArrayView bytes, int charset);

// The height of a font's character cell (ascent and descent) per unit of its
// em, for the font drawn in place of Windows font `windowsFamily`.
[[nodiscard]] double cellHeightPerEm(const QString& windowsFamily, int charset);
// Typical of Windows' fonts: for one that is neither known nor installed.
inline constexpr double TypicalCellHeightPerEm = 1.15;

// The family to ask for in place of a Windows font name (the IPA fonts for the
// Japanese system fonts; other names unchanged).
[[nodiscard]] QString substituteFontFamily(const QString& windowsFamily);

// Text met while libwmf plays a drawing, drawn onto its raster device's
// pixels there and then, so that shapes drawn later lie over it as they do in
// Windows.
class WmfTextPainter {
public:
    explicit WmfTextPainter(const WmfRaster& raster) : raster_(raster) {}

    // Takes libwmf's text drawing on `api` (its raster device) over; the
    // painter, set in the API's WmfPainters, must outlive the playing.
    void takeTextOf(_wmfAPI* api);

    // Called between records: text drawn next starts a string of its own.
    void recordEnded() {
        drawHeldBack();
        recordEnded_ = true;
    }

    // Once the play has ended: draws what the last record left held back.
    void playEnded(int* pixels);

private:
    struct Item {
        QString text;
        QFont font;
        WholePixelText glyphs;
        QColor colour;
        QPointF at;            // the reference point, in pixels
        double angle = 0.0;    // degrees, clockwise
        double baseline = 0.0; // below the reference point, along the text's up
    };
    static void drawText(_wmfAPI* api, _wmfDrawText_t* text);
    void draw(const Item& item, int* pixels) const;
    void hold(Item item, double placed, bool joinable, int* pixels);
    void drawHeldBack();

    WmfRaster raster_;
    qsizetype drawn_ = 0;
    // Where the string being drawn started, in the picture's pixels.
    double stringStart_ = 0.0;
    bool recordEnded_ = true;
    // A string's letters are held back until the next is known. Letters a
    // writer joined into one glyph (a ligature, "ffi") are the first with the
    // whole glyph's advance and the others with none: libwmf puts those and
    // the letter after them on one spot, "office" came out as "of" and a
    // blot. A letter whose successor comes to its place joins the letters
    // before it, drawn as one string from the first's place, and the font
    // joins them again.
    std::optional<Item> group_; // the glyph being gathered
    std::optional<Item> last_;  // the latest letter, its advance not yet known
    double lastAt_ = 0.0;       // where libwmf put it, in the picture's pixels
    bool lastJoinable_ = false;
    int* heldBackPixels_ = nullptr;
};

} // namespace graphics
