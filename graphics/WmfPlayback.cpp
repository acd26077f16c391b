#include "graphics/WmfPlayback.h"

#include "graphics/PictureLimits.h"
#include "graphics/WmfObjectTable.h"
#include "graphics/WmfRecordStream.h"

#include <QList>
#include <cmath>
#include <cstdint>
#include <limits>

namespace graphics {
namespace {

constexpr qint64 PlaceableBytes = 22;
constexpr qint64 FirstRecordAt = PlaceableBytes + WmfHeaderBytes;
constexpr int Anisotropic = 8;
// Device units per picture pixel: a finer viewport than the pixels keeps
// libwmf's integer steps (fonts, pen widths) small.
constexpr int UnitsPerPixel = 4;

enum Function : std::uint16_t {
    SetMapMode = 0x0103,
    SetViewportOrg = 0x020D,
    SetViewportExt = 0x020E,
    SetWindowOrg = 0x020B,
    SetWindowExt = 0x020C,
    OffsetViewportOrg = 0x0211,
    ScaleViewportExt = 0x0412,
    SaveDC = 0x001E,
    RestoreDC = 0x0127,
};

// Records that set state and draw nothing; the first other record draws.
bool drawsNothing(std::uint16_t function) {
    switch (function) {
    case 0x0626: // Escape
    case 0x0102: // SetBkMode
    case 0x0103: // SetMapMode
    case 0x0104: // SetROP2
    case 0x0105: // SetRelabs
    case 0x0106: // SetPolyFillMode
    case 0x0107: // SetStretchBltMode
    case 0x0108: // SetTextCharExtra
    case 0x0201: // SetBkColor
    case 0x0209: // SetTextColor
    case 0x020A: // SetTextJustification
    case 0x012E: // SetTextAlign
    case 0x0231: // SetMapperFlags
    case 0x020B: // SetWindowOrg
    case 0x020C: // SetWindowExt
    case 0x020D: // SetViewportOrg
    case 0x020E: // SetViewportExt
    case 0x020F: // OffsetWindowOrg
    case 0x0410: // ScaleWindowExt
    case 0x0211: // OffsetViewportOrg
    case 0x0412: // ScaleViewportExt
    case 0x001E: // SaveDC
    case 0x0127: // RestoreDC
    case 0x0416: // IntersectClipRect
    case 0x0415: // ExcludeClipRect
    case 0x0220: // OffsetClipRgn
    case 0x012C: // SelectClipRegion
    case 0x012D: // SelectObject
    case 0x01F0: // DeleteObject
    case 0x0234: // SelectPalette
    case 0x0035: // RealizePalette
        return true;
    default:
        return createsObject(function);
    }
}

struct Viewport {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    int mapMode = Anisotropic;
};

void appendRecord(QByteArray& out, std::uint16_t function, std::initializer_list<int> params) {
    const auto put16 = [&out](std::uint16_t v) {
        out.append(char(v & 0xff));
        out.append(char(v >> 8));
    };
    const std::uint32_t words = 3 + std::uint32_t(params.size());
    put16(std::uint16_t(words & 0xffff));
    put16(std::uint16_t(words >> 16));
    put16(function);
    for (int p : params)
        put16(std::uint16_t(std::int16_t(p)));
}

void putU32(QByteArray& bytes, qint64 at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xff);
}

bool fitsI16(qint64 v) {
    return v >= std::numeric_limits<std::int16_t>::min() &&
           v <= std::numeric_limits<std::int16_t>::max();
}

// The viewport the records leave in force where the drawing begins.
Viewport viewportAtFirstDrawing(QByteArrayView bytes, Viewport viewport) {
    QList<Viewport> saved;
    qint64 at = FirstRecordAt;
    for (;;) {
        const auto frame = wmfRecordAt(bytes, at);
        if (!frame || !drawsNothing(frame->function))
            return viewport;
        const qint64 recordBytes = frame->bytes;
        const std::uint16_t function = frame->function;
        // Parameters are stored last first.
        const auto param = [&](int i) -> double {
            const auto v = 6 + 2 * i < recordBytes ? readI16(bytes, at + 6 + 2 * i) : std::nullopt;
            return v ? double(*v) : 0.0;
        };
        switch (function) {
        case SetMapMode:
            viewport.mapMode = int(param(0));
            break;
        case SetViewportOrg:
            viewport.x = param(1);
            viewport.y = param(0);
            break;
        case SetViewportExt:
            viewport.width = param(1);
            viewport.height = param(0);
            break;
        case OffsetViewportOrg:
            viewport.x += param(1);
            viewport.y += param(0);
            break;
        case ScaleViewportExt:
            if (param(2) != 0 && param(0) != 0) {
                viewport.width = viewport.width * param(3) / param(2);
                viewport.height = viewport.height * param(1) / param(0);
            }
            break;
        case SaveDC:
            if (saved.size() < 1024)
                saved.append(viewport);
            break;
        case RestoreDC: {
            // A negative level counts back from the newest save, a positive one
            // names a save by its number.
            const int level = int(param(0));
            qsizetype keep = level < 0 ? saved.size() + level : qsizetype(level) - 1;
            if (keep >= 0 && keep < saved.size()) {
                viewport = saved[keep];
                saved.resize(keep);
            }
            break;
        }
        default:
            break;
        }
        at += recordBytes;
    }
}

// The drawing's size in `size`'s pixels before they were rounded to whole
// ones: the scale its own inches give, so that a shape lies where its
// coordinates say rather than stretched over the rounding.
QSizeF unroundedSize(const WmfLayout& layout, QSize size) {
    const QSizeF natural = layout.naturalSize;
    const QSize rounded = clampRenderedSize(natural.width(), natural.height());
    if (rounded.isEmpty())
        return QSizeF(size);
    const double shrink = renderedScale(natural.width(), natural.height());
    return {natural.width() * shrink * size.width() / rounded.width(),
            natural.height() * shrink * size.height() / rounded.height()};
}

} // namespace

WmfPlayback wmfPlayback(const QByteArray& bytes, const WmfLayout& layout, QSize size) {
    const QRect box = layout.placeableBox;
    const QSizeF drawing = unroundedSize(layout, size);
    const qint64 viewWidth = std::llround(drawing.width() * UnitsPerPixel);
    const qint64 viewHeight = std::llround(drawing.height() * UnitsPerPixel);
    if (!layout.placeable || box.isEmpty() || size.isEmpty() || bytes.size() < FirstRecordAt ||
        !fitsI16(box.width()) || !fitsI16(box.height()) || !fitsI16(viewWidth) ||
        !fitsI16(viewHeight))
        return {bytes, {}};

    QByteArray preamble;
    appendRecord(preamble, SetMapMode, {Anisotropic});
    appendRecord(preamble, SetViewportOrg, {0, 0});
    appendRecord(preamble, SetViewportExt, {int(viewHeight), int(viewWidth)});
    appendRecord(preamble, SetWindowOrg, {box.top(), box.left()});
    appendRecord(preamble, SetWindowExt, {box.height(), box.width()});

    QByteArray played = bytes.left(FirstRecordAt) + preamble + bytes.mid(FirstRecordAt);
    // The header counts the file's length in 16-bit words.
    const auto words = readU32(bytes, PlaceableBytes + 6);
    if (words)
        putU32(played, PlaceableBytes + 6, *words + std::uint32_t(preamble.size() / 2));

    const Viewport ours{0, 0, double(viewWidth), double(viewHeight)};
    const Viewport viewport = viewportAtFirstDrawing(played, ours);
    if (viewport.mapMode != Anisotropic || viewport.width == 0 || viewport.height == 0)
        return {played, {}};
    // Our viewport holds the drawing at its own scale; the picture is its
    // whole pixels from the top left.
    if (viewport.x == ours.x && viewport.y == ours.y && viewport.width == ours.width &&
        viewport.height == ours.height)
        return {played, QRectF(0, 0, double(size.width()) * UnitsPerPixel,
                               double(size.height()) * UnitsPerPixel)};
    return {played, QRectF(viewport.x, viewport.y, viewport.width, viewport.height).normalized()};
}

} // namespace graphics
