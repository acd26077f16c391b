#include "graphics/WmfText.h"

#include "graphics/WmfRasterDevice.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iconv.h>
#include <libwmf/api.h>
#include <libwmf/gd.h>
#include <libwmf/macro.h>

namespace graphics {
namespace {

const char* iconvName(int charset) {
    switch (charset) {
    case 2: // SYMBOL: the font's own glyphs, one byte each
        return "ISO-8859-1";
    case 77:
        return "MACINTOSH";
    case 128:
        return "CP932";
    case 129:
        return "CP949";
    case 130:
        return "JOHAB";
    case 134:
        return "GBK";
    case 136:
        return "BIG5";
    case 161:
        return "CP1253";
    case 162:
        return "CP1254";
    case 163:
        return "CP1258";
    case 177:
        return "CP1255";
    case 178:
        return "CP1256";
    case 186:
        return "CP1257";
    case 204:
        return "CP1251";
    case 222:
        return "CP874";
    case 238:
        return "CP1250";
    case 255:
        return "CP437";
    default:
        return "CP1252";
    }
}

// Bounds against hostile files: text larger than any picture, endless strings of calls.
constexpr double MaxTextPixels = 4096;
constexpr qsizetype MaxTextItems = 100'000;

bool isEastAsian(int charset) {
    return charset == 128 || charset == 129 || charset == 130 || charset == 134 || charset == 136;
}

// The families to ask for: the font's own (or its stand-in) and, for East
// Asian text, a font that has the characters.
QStringList familiesFor(const QString& family, int charset) {
    QStringList families{substituteFontFamily(family)};
    if (isEastAsian(charset) && !families.contains(QStringLiteral("IPAPGothic")))
        families.append(QStringLiteral("IPAPGothic"));
    return families;
}

QFont fontFor(const wmfFont& wmf, const QString& family, double pixelHeight) {
    QFont font;
    font.setFamilies(familiesFor(family, wmf.lfCharSet));
    font.setPixelSize(std::max(1, int(std::lround(pixelHeight))));
    const int weight = wmf.lfWeight;
    if (weight > 0)
        font.setWeight(QFont::Weight(std::clamp(weight, 1, 1000)));
    font.setItalic(wmf.lfItalic != 0);
    font.setUnderline(wmf.lfUnderline != 0);
    font.setStrikeOut(wmf.lfStrikeOut != 0);
    font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
}

} // namespace

QString decodeWindowsText(QByteArrayView bytes, int charset) {
    if (bytes.isEmpty())
        return {};
    iconv_t converter = iconv_open("UTF-16LE", iconvName(charset));
    if (converter == iconv_t(-1))
        return QString::fromLatin1(bytes);
    QByteArray in(bytes.data(), bytes.size());
    QByteArray out(in.size() * 4 + 4, Qt::Uninitialized);
    char* inAt = in.data();
    std::size_t inLeft = std::size_t(in.size());
    char* outAt = out.data();
    std::size_t outLeft = std::size_t(out.size());
    while (inLeft > 0) {
        if (iconv(converter, &inAt, &inLeft, &outAt, &outLeft) != std::size_t(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            break;
        // An undecodable byte (or a double-byte character cut short) is skipped.
        ++inAt;
        --inLeft;
    }
    iconv_close(converter);
    const std::size_t written = std::size_t(out.size()) - outLeft;
    return QString(reinterpret_cast<const QChar*>(out.constData()), qsizetype(written / 2));
}

double cellHeightPerEm(const QString& windowsFamily, int charset) {
    // Windows measures the cell by the font it has; for its own common fonts
    // (and the families made to their measure) that is known, whatever
    // stands in for them here. Stand-ins' own cells can be far taller.
    static const struct {
        const char16_t* family;
        double cell; // (usWinAscent + usWinDescent) / unitsPerEm
    } known[] = {
        {u"Arial", 1.1172},
        {u"Helvetica", 1.1172},
        {u"Liberation Sans", 1.1172},
        {u"Arimo", 1.1172},
        {u"Times New Roman", 1.1074},
        {u"Times", 1.1074},
        {u"Liberation Serif", 1.1074},
        {u"Tinos", 1.1074},
        {u"Courier New", 1.1328},
        {u"Courier", 1.1328},
        {u"Liberation Mono", 1.1328},
        {u"Cousine", 1.1328},
        {u"Tahoma", 1.2070},
        {u"Verdana", 1.2153},
        {u"ＭＳ ゴシック", 1.0},
        {u"MS Gothic", 1.0},
        {u"ＭＳ Ｐゴシック", 1.0},
        {u"MS PGothic", 1.0},
        {u"MS UI Gothic", 1.0},
        {u"ＭＳ 明朝", 1.0},
        {u"MS Mincho", 1.0},
        {u"ＭＳ Ｐ明朝", 1.0},
        {u"MS PMincho", 1.0},
    };
    for (const auto& entry : known) {
        if (windowsFamily.compare(QString::fromUtf16(entry.family), Qt::CaseInsensitive) == 0)
            return entry.cell;
    }
    constexpr int Em = 1000;
    QFont font;
    font.setFamilies(familiesFor(windowsFamily, charset));
    font.setPixelSize(Em);
    if (QFontInfo(font).family().compare(substituteFontFamily(windowsFamily), Qt::CaseInsensitive))
        return TypicalCellHeightPerEm;
    const QFontMetricsF metrics(font);
    const double cell = (metrics.ascent() + metrics.descent()) / Em;
    return cell >= 0.5 && cell <= 4 ? cell : TypicalCellHeightPerEm;
}

QString substituteFontFamily(const QString& windowsFamily) {
    static const struct {
        const char16_t* windows;
        const char16_t* here;
    } table[] = {
        {u"ＭＳ ゴシック", u"IPAGothic"},    {u"MS Gothic", u"IPAGothic"},
        {u"ＭＳ Ｐゴシック", u"IPAPGothic"}, {u"MS PGothic", u"IPAPGothic"},
        {u"MS UI Gothic", u"IPAPGothic"},    {u"ＭＳ 明朝", u"IPAMincho"},
        {u"MS Mincho", u"IPAMincho"},        {u"ＭＳ Ｐ明朝", u"IPAPMincho"},
        {u"MS PMincho", u"IPAPMincho"},      {u"メイリオ", u"IPAPGothic"},
        {u"Meiryo", u"IPAPGothic"},
    };
    for (const auto& entry : table) {
        if (windowsFamily.compare(QString::fromUtf16(entry.windows), Qt::CaseInsensitive) == 0)
            return QString::fromUtf16(entry.here);
    }
    return windowsFamily;
}

void WmfTextPainter::takeTextOf(_wmfAPI* api) {
    static_cast<wmfFunctionReference*>(api->function_reference)->draw_text = drawText;
}

void WmfTextPainter::drawText(_wmfAPI* api, _wmfDrawText_t* text) {
    WmfPainters* painters = wmfPainters(api);
    WmfTextPainter* painter = painters ? painters->text : nullptr;
    if (!painter || !text || !text->str || !text->dc || !text->dc->font ||
        !painter->raster_.isValid() || painter->drawn_ >= MaxTextItems)
        return;
    int* pixels = devicePixelsWhilePlaying(api);
    if (!pixels)
        return;
    const wmfFont& wmf = *text->dc->font;
    const int charset = wmf.lfCharSet;
    Item item;
    item.text = decodeWindowsText(QByteArrayView(text->str), charset);
    if (item.text.isEmpty())
        return;
    const QString family =
        wmf.lfFaceName ? decodeWindowsText(QByteArrayView(wmf.lfFaceName), charset) : QString();
    // Text is laid out and drawn at the picture's own size, as other programs
    // draw it on a screen, not at the supersampled device's.
    const WmfRaster& raster = painter->raster_;
    const double step = raster.supersampling;
    const double sx = raster.scale().x() / step;
    const double sy = raster.scale().y() / step;
    item.at = raster.onRaster(QPointF(text->pt.x, text->pt.y)) / step;
    const double pixelHeight = std::abs(text->font_height * sy);
    if (!(pixelHeight >= 0.5 && pixelHeight <= 4.0 * MaxTextPixels))
        return;
    // libwmf hands the font's height over without its sign, which told the em
    // (negative) from the whole cell (positive); withFontHeightsAsEm() has
    // made every height an em before the play.
    item.font = fontFor(wmf, family, pixelHeight);
    // Escapement: tenths of a degree, counter-clockwise.
    item.angle = -double(wmf.lfEscapement) / 10.0;
    // libwmf moves the reference point of top-aligned text down by the font's
    // height and leaves bottom-aligned text on its baseline; the font's own
    // ascent and descent place it where Windows does.
    const unsigned vertical = WMF_DC_TEXTALIGN(text->dc) & TA_BASELINE;
    const QFontMetricsF metrics(item.font);
    item.glyphs = layOutOnWholePixels(item.text, item.font);
    if (vertical == TA_TOP)
        item.baseline = metrics.ascent() - pixelHeight;
    else if (vertical == TA_BOTTOM)
        item.baseline = -metrics.descent();
    // libwmf moves the reference point of centred text back by half its own
    // estimate of the width, and of right-aligned text by the same half; the
    // estimate (its surround zone) is taken back and Qt's width of the string
    // used as Windows uses the font's. Only for level text running left to
    // right on the device, where the zone's width says which way it went.
    const unsigned horizontal = WMF_DC_TEXTALIGN(text->dc) & TA_CENTER;
    const double estimate = (text->bbox.TR.x - text->bbox.TL.x) * sx;
    if (horizontal != TA_LEFT && wmf.lfEscapement == 0 && estimate > 0 &&
        estimate <= 4.0 * MaxTextPixels) {
        const double width = item.glyphs.width;
        item.at.rx() += estimate / 2 - (horizontal == TA_CENTER ? width / 2 : width);
    }
    const double placed = item.at.x();
    // Level text starts on a whole pixel, its baseline on a row: letters come
    // out as sharp as other programs draw them. libwmf hands a string with
    // advances over letter by letter; as Windows does, each letter's offset
    // from the string's start is rounded, and the start on its own.
    if (wmf.lfEscapement == 0) {
        const double baselineAt = std::round(item.at.y() + item.baseline);
        if (painter->recordEnded_)
            painter->stringStart_ = item.at.x();
        painter->recordEnded_ = false;
        const double start = painter->stringStart_;
        const double x = std::round(start) + std::round(item.at.x() - start);
        item.at = QPointF(x, baselineAt - item.baseline);
    }
    const wmfRGB* colour = WMF_DC_TEXTCOLOR(text->dc);
    item.colour = QColor(colour->r, colour->g, colour->b);
    ++painter->drawn_;
    painter->hold(std::move(item), placed, horizontal == TA_LEFT && wmf.lfEscapement == 0, pixels);
}

void WmfTextPainter::hold(Item item, double placed, bool joinable, int* pixels) {
    heldBackPixels_ = pixels;
    if (last_ && joinable && lastJoinable_ && placed == lastAt_ && item.font == last_->font) {
        // The last letter had no advance: it is part of the glyph before it.
        if (group_ && group_->font == last_->font) {
            group_->text += last_->text;
            group_->glyphs = layOutOnWholePixels(group_->text, group_->font);
        } else {
            group_ = std::move(last_);
        }
    } else {
        if (group_)
            draw(*group_, pixels);
        group_ = std::move(last_);
    }
    last_ = std::move(item);
    lastAt_ = placed;
    lastJoinable_ = joinable;
}

void WmfTextPainter::drawHeldBack() {
    for (std::optional<Item>* held : {&group_, &last_}) {
        if (*held && heldBackPixels_)
            draw(**held, heldBackPixels_);
        held->reset();
    }
}

void WmfTextPainter::playEnded(int* pixels) {
    heldBackPixels_ = pixels;
    drawHeldBack();
}

// Draws one string onto the device's pixels through a layer just large enough for it.
void WmfTextPainter::draw(const Item& item, int* pixels) const {
    const int step = raster_.supersampling;
    const QSize size = raster_.size;
    const QSize picture((size.width() + step - 1) / step, (size.height() + step - 1) / step);
    QTransform place;
    place.translate(item.at.x(), item.at.y());
    place.rotate(item.angle);
    const QFontMetricsF metrics(item.font);
    // Room for overhangs, underlines and anti-aliasing around the ink.
    const double margin = 2 + metrics.height() / 4;
    const QRectF ink =
        metrics.boundingRect(item.text)
            .united(QRectF(0, -metrics.ascent(), item.glyphs.width, metrics.height()))
            .translated(0, item.baseline)
            .adjusted(-margin, -margin, margin, margin);
    const QRect area = place.mapRect(ink).toAlignedRect().intersected(QRect(QPoint(0, 0), picture));
    if (area.isEmpty())
        return;
    QImage layer(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull())
        return;
    layer.fill(Qt::transparent);
    QPainter painter(&layer);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-area.topLeft());
    painter.setTransform(place, true);
    painter.setPen(item.colour);
    for (const QGlyphRun& run : item.glyphs.runs)
        painter.drawGlyphRun(QPointF(0, item.baseline), run);
    painter.end();
    blendOntoDevice(layer, area.topLeft() * step, step, pixels, size);
}

} // namespace graphics
