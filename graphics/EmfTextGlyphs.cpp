#include "graphics/EmfTextGlyphs.h"

#include "graphics/EmfRewrite.h"
#include "graphics/EmfSvgWholePixels.h"
#include "graphics/LittleEndian.h"

#include <QChar>
#include <QHash>
#include <QList>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>

namespace graphics {
namespace {

enum Type : std::uint32_t {
    SetWindowExtEx = 9,
    SetViewportExtEx = 11,
    Eof = 14,
    SetMapMode = 17,
    SetTextAlign = 22,
    ScaleViewportExtEx = 31,
    ScaleWindowExtEx = 32,
    SaveDc = 33,
    RestoreDc = 34,
    SetWorldTransform = 35,
    ModifyWorldTransform = 36,
    SelectObject = 37,
    CreatePen = 38,
    CreateBrushIndirect = 39,
    DeleteObject = 40,
    CreatePalette = 49,
    ExtCreateFontIndirectW = 82,
    ExtTextOutW = 84,
    CreateMonoBrush = 93,
    CreateDibPatternBrushPt = 94,
    ExtCreatePen = 95,
    CreateColorSpace = 99,
    CreateColorSpaceW = 122,
};

// EMR_EXTTEXTOUTW: the fixed part, then the string and the advances.
constexpr qint64 TextFixedSize = 76;
constexpr qint64 ReferenceAt = 36;
constexpr qint64 CharCountAt = 44;
constexpr qint64 StringOffsetAt = 48;
constexpr qint64 OptionsAt = 52;
constexpr qint64 AdvancesOffsetAt = 72;

constexpr std::uint32_t EtoOpaque = 0x0002;
constexpr std::uint32_t EtoGlyphIndex = 0x0010;
constexpr std::uint32_t EtoRtlReading = 0x0080;
constexpr std::uint32_t EtoPdy = 0x2000;
constexpr std::uint32_t TaUpdateCp = 0x0001;
constexpr std::uint32_t TaHorizontal = 0x0006;
constexpr std::uint32_t TaRight = 0x0002;
constexpr std::uint32_t TaCenter = 0x0006;
constexpr std::uint32_t TaRtlReading = 0x0100;
constexpr std::int32_t MmText = 1;
constexpr std::int32_t MmIsotropic = 7;
constexpr std::int32_t MmAnisotropic = 8;
constexpr std::uint32_t MwtIdentity = 1;
constexpr std::uint32_t MwtSet = 4;

constexpr qsizetype MaxSaved = 1024;
// Past this many added bytes the rest of the text keeps its runs.
constexpr qint64 MaxAddedBytes = qint64(64) * 1024 * 1024;

// What decides whether a string may be split, as the drawing goes.
struct DcState {
    std::uint32_t align = 0;
    bool fontRotated = false;
    std::int32_t mapMode = MmText;
    double windowX = 1; // the window's and the viewport's x extents
    double viewportX = 1;
    bool plainTransform = true; // no rotation, shear or mirroring in x
    double worldX = 1;          // the world transform's x scale, when plain

    [[nodiscard]] bool scaled() const { return mapMode == MmIsotropic || mapMode == MmAnisotropic; }
    [[nodiscard]] bool mirrored() const { return scaled() && (windowX < 0) != (viewportX < 0); }
    // Device pixels per logical unit along x; 0 when the mapping mode
    // measures in the device's millimetres or inches, not followed here.
    [[nodiscard]] double devicePixelsPerUnit() const {
        const double mapping = mapMode == MmText          ? 1.0
                               : scaled() && windowX != 0 ? std::abs(viewportX / windowX)
                                                          : 0.0;
        return mapping * worldX;
    }
};

std::uint32_t u32(QByteArrayView bytes, qint64 at) {
    return readU32(bytes, at).value_or(0);
}

std::int32_t i32(QByteArrayView bytes, qint64 at) {
    return readI32(bytes, at).value_or(0);
}

float f32(QByteArrayView bytes, qint64 at) {
    const std::uint32_t bits = u32(bytes, at);
    float value;
    static_assert(sizeof value == sizeof bits);
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// An extent scaled by ScaleWindowExtEx / ScaleViewportExtEx (x numerator and
// denominator first); kept as it was when the record makes no sense.
double scaledExtent(double extent, QByteArrayView rec) {
    const double numerator = i32(rec, 8);
    const double denominator = i32(rec, 12);
    const double scaled = denominator != 0 ? extent * numerator / denominator : extent;
    return std::isfinite(scaled) && std::abs(scaled) < 1e12 ? scaled : extent;
}

// An XFORM that keeps text running left to right along x.
bool isPlainTransform(QByteArrayView rec) {
    const float scale = f32(rec, 8);
    return scale > 0 && scale < 1e6f && f32(rec, 12) == 0 && f32(rec, 16) == 0;
}

bool splittable(QChar c) {
    if (c.isSurrogate() || c.isMark() || c.category() == QChar::Other_Format)
        return false;
    switch (c.script()) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Bopomofo:
        return true;
    default:
        return false;
    }
}

// One record per glyph, each at the place its advances give it.
struct Glyphs {
    QByteArray records; // empty when the text record must stay as it is
    qint64 count = 0;
};

QByteArray textAlignRecord(std::uint32_t align) {
    QByteArray out(12, '\0');
    putU32(out, 0, SetTextAlign);
    putU32(out, 4, 12);
    putU32(out, 8, align);
    return out;
}

// A glyph's text record: the original's fixed part with the glyph's place,
// characters and advances.
QByteArray glyphRecord(QByteArrayView rec, std::int32_t x, std::uint32_t options,
                       std::span<const QChar> text, std::span<const qint64> advances) {
    const auto count = qint64(text.size());
    const qint64 advancesAt = TextFixedSize + (2 * count + 3) / 4 * 4;
    const qint64 size = advancesAt + 4 * count;
    QByteArray glyph = rec.first(TextFixedSize).toByteArray();
    glyph.resize(size, '\0');
    putU32(glyph, 4, std::uint32_t(size));
    putU32(glyph, ReferenceAt, std::uint32_t(x));
    putU32(glyph, CharCountAt, std::uint32_t(count));
    putU32(glyph, StringOffsetAt, std::uint32_t(TextFixedSize));
    putU32(glyph, OptionsAt, options);
    putU32(glyph, AdvancesOffsetAt, std::uint32_t(advancesAt));
    for (qint64 i = 0; i < count; ++i) {
        glyph[TextFixedSize + 2 * i] = char(text[i].unicode() & 0xff);
        glyph[TextFixedSize + 2 * i + 1] = char(text[i].unicode() >> 8);
        putU32(glyph, advancesAt + 4 * i, std::uint32_t(std::int32_t(advances[i])));
    }
    return glyph;
}

Glyphs splitIntoGlyphs(QByteArrayView rec, const DcState& dc, const GlyphPlacement& placement) {
    const qint64 size = rec.size();
    if (size < TextFixedSize || dc.fontRotated || dc.mirrored() || !dc.plainTransform ||
        (dc.align & (TaUpdateCp | TaRtlReading)))
        return {};
    const std::uint32_t options = u32(rec, OptionsAt);
    if (options & (EtoGlyphIndex | EtoRtlReading | EtoPdy))
        return {};
    const qint64 count = u32(rec, CharCountAt);
    const qint64 stringAt = u32(rec, StringOffsetAt);
    const qint64 advancesAt = u32(rec, AdvancesOffsetAt);
    if (count < 2 || advancesAt == 0 || stringAt < TextFixedSize || advancesAt < TextFixedSize ||
        stringAt > size || advancesAt > size || count > (size - stringAt) / 2 ||
        count > (size - advancesAt) / 4)
        return {};

    QList<QChar> text;
    QList<qint64> advances;
    qint64 total = 0;
    for (qint64 i = 0; i < count; ++i) {
        const QChar c(*readU16(rec, stringAt + 2 * i));
        if (!splittable(c))
            return {};
        text.append(c);
        advances.append(i32(rec, advancesAt + 4 * i));
        total += advances.back();
    }

    // Each glyph is set left-aligned at its own place: centred or
    // right-aligned one by one they would sit by the font's widths, not the
    // record's. The alignment in force comes back after them.
    const std::uint32_t horizontal = dc.align & TaHorizontal;
    const qint64 x = i32(rec, ReferenceAt);
    qint64 left = horizontal == TaCenter ? x - total / 2 : horizontal == TaRight ? x - total : x;
    // Windows lays a string out in whole device pixels: each glyph's offset
    // from the string's start is rounded to a pixel of the picture, and the
    // start itself is put on one when the converter's SVG is drawn
    // (svgOnWholePixels()). Unrounded, letters fall between pixels and the
    // gaps between them vary by one. The offset goes through whole
    // hundredths of a millimetre first, as office programs place letters.
    const double pixelsPerUnit = dc.devicePixelsPerUnit() * placement.pictureScale;
    const double pixelsPerHundredth = placement.pixelsPerHundredth();
    const bool whole = std::isfinite(pixelsPerUnit) && pixelsPerUnit > 1e-6 && pixelsPerUnit < 1e6;
    const auto onWholePixels = [&](qint64 offset) {
        return whole ? qint64(std::llround(
                           wholePixelOnPaper(double(offset) * pixelsPerUnit, pixelsPerHundredth) /
                           pixelsPerUnit))
                     : offset;
    };
    const qint64 start = left;
    Glyphs glyphs;
    if (horizontal != 0)
        glyphs.records += textAlignRecord(dc.align & ~TaHorizontal);
    for (qint64 first = 0, end = 0; first < count; first = end) {
        // Characters after the first with no advance of their own share its
        // glyph (a ligature, as the writer's font drew it).
        qint64 advance = advances[first];
        bool blank = text[first].isSpace();
        for (end = first + 1; end < count && advances[end] == 0; ++end)
            blank = blank && text[end].isSpace();
        for (qint64 i = first + 1; i < end; ++i)
            advance += advances[i];
        const qint64 ref = start + onWholePixels(left - start);
        left += advance;
        // The first glyph keeps the background box; the others must not paint over it.
        if (first > 0 && blank)
            continue;
        if (ref < std::numeric_limits<std::int32_t>::min() ||
            ref > std::numeric_limits<std::int32_t>::max())
            return {};
        glyphs.records +=
            glyphRecord(rec, std::int32_t(ref), first == 0 ? options : options & ~EtoOpaque,
                        std::span(std::as_const(text)).subspan(first, end - first),
                        std::span(std::as_const(advances)).subspan(first, end - first));
        ++glyphs.count;
    }
    if (horizontal != 0) {
        glyphs.records += textAlignRecord(dc.align);
        glyphs.count += 2;
    }
    return glyphs;
}

// Follows the records that change what splittable() and splitIntoGlyphs() ask.
class DcTracker {
public:
    DcState dc;

    void follow(std::uint32_t type, QByteArrayView rec) {
        const qint64 size = rec.size();
        switch (type) {
        case SetTextAlign:
            dc.align = u32(rec, 8);
            break;
        case SetMapMode:
            dc.mapMode = i32(rec, 8);
            break;
        case SetWindowExtEx:
            dc.windowX = i32(rec, 8);
            break;
        case SetViewportExtEx:
            dc.viewportX = i32(rec, 8);
            break;
        case ScaleWindowExtEx:
            dc.windowX = scaledExtent(dc.windowX, rec);
            break;
        case ScaleViewportExtEx:
            dc.viewportX = scaledExtent(dc.viewportX, rec);
            break;
        case SetWorldTransform:
            dc.plainTransform = isPlainTransform(rec);
            dc.worldX = dc.plainTransform ? f32(rec, 8) : 1.0;
            break;
        case ModifyWorldTransform: {
            const std::uint32_t mode = u32(rec, 32);
            const bool plain = isPlainTransform(rec);
            if (mode == MwtIdentity) {
                dc.plainTransform = true;
                dc.worldX = 1;
            } else if (mode == MwtSet) {
                dc.plainTransform = plain;
                dc.worldX = plain ? f32(rec, 8) : 1.0;
            } else { // products of plain transforms stay plain
                dc.plainTransform = dc.plainTransform && plain;
                dc.worldX = dc.plainTransform ? dc.worldX * f32(rec, 8) : 1.0;
            }
            break;
        }
        case ExtCreateFontIndirectW:
            if (size >= 28)
                fonts_.insert(u32(rec, 8), i32(rec, 20) % 3600 != 0);
            break;
        case CreatePen:
        case CreateBrushIndirect:
        case CreatePalette:
        case CreateMonoBrush:
        case CreateDibPatternBrushPt:
        case ExtCreatePen:
        case CreateColorSpace:
        case CreateColorSpaceW:
        case DeleteObject:
            fonts_.remove(u32(rec, 8));
            break;
        case SelectObject: {
            const std::uint32_t handle = u32(rec, 8);
            if (fonts_.contains(handle))
                dc.fontRotated = fonts_.value(handle);
            else if (handle >= StockFontFirst && handle <= StockFontLast)
                dc.fontRotated = false;
            break;
        }
        case SaveDc:
            if (saved_.size() < MaxSaved)
                saved_.append(dc);
            break;
        case RestoreDc: {
            // A negative level counts back from the newest save, a positive
            // one names a save by its number; anything else restores nothing.
            const std::int32_t level = i32(rec, 8);
            const qsizetype keep = level < 0 ? saved_.size() + level : qsizetype(level) - 1;
            if (keep >= 0 && keep < saved_.size()) {
                dc = saved_[keep];
                saved_.resize(keep);
            }
            break;
        }
        default:
            break;
        }
    }

private:
    static constexpr std::uint32_t StockFontFirst = 0x8000000Au;
    static constexpr std::uint32_t StockFontLast = 0x80000011u;
    QHash<std::uint32_t, bool> fonts_; // handle → the font is rotated
    QList<DcState> saved_;
};

} // namespace

QByteArray emfWithTextPlacedByGlyph(const QByteArray& bytes, const GlyphPlacement& placement) {
    DcTracker tracker;
    QByteArray out;
    bool changed = false;
    qint64 addedRecords = 0;
    qint64 at = 0;
    for (;;) {
        const std::optional<EmfRecord> next = emfRecordAt(bytes, at);
        if (!next)
            return bytes; // not a checked file: leave it to the converter as it is
        const std::uint32_t type = next->type;
        const QByteArrayView rec = next->bytes;
        const qint64 size = rec.size();
        at += size;

        if (type == ExtTextOutW && out.size() - at < MaxAddedBytes) {
            const Glyphs glyphs = splitIntoGlyphs(rec, tracker.dc, placement);
            if (glyphs.count > 0) {
                out += glyphs.records;
                changed = true;
                addedRecords += glyphs.count - 1;
                continue;
            }
        }
        out += rec;
        tracker.follow(type, rec);
        if (type == Eof)
            break;
    }
    if (!changed)
        return bytes;
    return finishedEmf(std::move(out), bytes, at, qint64(addedRecords));
}

} // namespace graphics
