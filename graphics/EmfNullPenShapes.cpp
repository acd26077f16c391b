#include "graphics/EmfNullPenShapes.h"

#include "graphics/EmfRewrite.h"
#include "graphics/LittleEndian.h"

#include <QHash>
#include <QList>
#include <QPointF>
#include <cmath>
#include <cstdint>
#include <limits>

namespace graphics {
namespace {

enum Type : std::uint32_t {
    PolyBezier = 2,
    Polygon = 3,
    PolyPolygon = 8,
    Eof = 14,
    SaveDc = 33,
    RestoreDc = 34,
    SelectObject = 37,
    CreatePen = 38,
    DeleteObject = 40,
    Ellipse = 42,
    Rectangle = 43,
    RoundRect = 44,
    Chord = 46,
    Pie = 47,
    BeginPath = 59,
    EndPath = 60,
    FillPath = 62,
    StrokeAndFillPath = 63,
    SetArcDirection = 57,
    AbortPath = 68,
    Polygon16 = 86,
    PolyPolygon16 = 90,
    ExtCreatePen = 95,
};

constexpr std::uint32_t StockObject = 0x80000000u;
constexpr std::uint32_t StockNullPen = 0x80000008u;
constexpr std::uint32_t StockWhitePen = 0x80000006u;
constexpr std::uint32_t StockBlackPen = 0x80000007u;
constexpr std::uint32_t PenStyleMask = 0x0F;
constexpr std::uint32_t PsNull = 5;
// Deeper saves than this are not restored: no real drawing nests so far.
constexpr qsizetype MaxSaved = 1024;
// Control points of a quarter ellipse as Bézier arcs, per radius.
constexpr double Kappa = 0.5522847498;
constexpr std::uint32_t AdClockwise = 2;
constexpr double Pi = 3.14159265358979323846;

// What decides how a shape is filled, as the drawing goes.
struct PenState {
    bool nullPen = false;   // the default pen is black
    bool clockwise = false; // arcs run counter-clockwise unless told
};

std::uint32_t u32(QByteArrayView bytes, qint64 at) {
    return readU32(bytes, at).value_or(0);
}

QByteArray record(std::uint32_t type, QByteArrayView payload = {}) {
    QByteArray out(8, '\0');
    putU32(out, 0, type);
    putU32(out, 4, std::uint32_t(8 + payload.size()));
    out += payload;
    return out;
}

void appendI32(QByteArray& out, std::int32_t value) {
    const auto u = std::uint32_t(value);
    for (int i = 0; i < 4; ++i)
        out.append(char((u >> (8 * i)) & 0xff));
}

struct Box {
    std::int32_t left, top, right, bottom;
};

Box boxAt(QByteArrayView rec) {
    return {*readI32(rec, 8), *readI32(rec, 12), *readI32(rec, 16), *readI32(rec, 20)};
}

QByteArray pointsRecord(std::uint32_t type, const Box& bounds, const QList<QPointF>& points) {
    QByteArray payload;
    for (std::int32_t v : {bounds.left, bounds.top, bounds.right, bounds.bottom})
        appendI32(payload, v);
    appendI32(payload, std::int32_t(points.size()));
    for (const QPointF& p : points) {
        appendI32(payload, std::int32_t(std::lround(p.x())));
        appendI32(payload, std::int32_t(std::lround(p.y())));
    }
    return record(type, payload);
}

// A straight line as a Bézier segment, so that one PolyBezier holds a figure
// of lines and arcs.
void appendLine(QList<QPointF>& points, QPointF to) {
    const QPointF from = points.back();
    points << from + (to - from) / 3 << from + 2 * (to - from) / 3 << to;
}

// The arc of the ellipse in `b` from angle `from` to `to` (radians, counter-
// clockwise on the page, y down) as Bézier segments of at most a quarter
// turn, after the arc's first point already in `points`.
void appendArc(QList<QPointF>& points, const Box& b, double from, double to) {
    const double cx = (double(b.left) + b.right) / 2;
    const double cy = (double(b.top) + b.bottom) / 2;
    const double rx = (double(b.right) - b.left) / 2;
    const double ry = (double(b.bottom) - b.top) / 2;
    const auto at = [&](double t) { return QPointF(cx + rx * std::cos(t), cy - ry * std::sin(t)); };
    const auto tangent = [&](double t) { return QPointF(-rx * std::sin(t), -ry * std::cos(t)); };
    const int segments = std::max(1, int(std::ceil(std::abs(to - from) / (Pi / 2) - 1e-9)));
    const double step = (to - from) / segments;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    for (int i = 0; i < segments; ++i) {
        const double t1 = from + i * step;
        const double t2 = t1 + step;
        points << at(t1) + k * tangent(t1) << at(t2) - k * tangent(t2) << at(t2);
    }
}

// The rounded rectangle of an EMR_ROUNDRECT as lines and quarter arcs.
QList<QPointF> roundRectFigure(QByteArrayView rec) {
    const Box b = boxAt(rec);
    const double rx =
        std::min(std::abs(double(*readI32(rec, 24))) / 2, std::abs(double(b.right) - b.left) / 2);
    const double ry =
        std::min(std::abs(double(*readI32(rec, 28))) / 2, std::abs(double(b.bottom) - b.top) / 2);
    const double l = b.left, t = b.top, r = b.right, bt = b.bottom;
    const auto corner = [&](double x0, double y0, double x1, double y1) {
        return Box{std::int32_t(x0), std::int32_t(y0), std::int32_t(x1), std::int32_t(y1)};
    };
    QList<QPointF> points{QPointF(l + rx, t)};
    appendLine(points, QPointF(r - rx, t));
    appendArc(points, corner(r - 2 * rx, t, r, t + 2 * ry), Pi / 2, 0);
    appendLine(points, QPointF(r, bt - ry));
    appendArc(points, corner(r - 2 * rx, bt - 2 * ry, r, bt), 0, -Pi / 2);
    appendLine(points, QPointF(l + rx, bt));
    appendArc(points, corner(l, bt - 2 * ry, l + 2 * rx, bt), -Pi / 2, -Pi);
    appendLine(points, QPointF(l, t + ry));
    appendArc(points, corner(l, t, l + 2 * rx, t + 2 * ry), Pi, Pi / 2);
    return points;
}

// The pie or chord of an EMR_PIE / EMR_CHORD: the arc from the radial through
// its start point to that through its end point, closed through the centre
// (pie) or straight back (chord). Equal radials make the whole ellipse.
QList<QPointF> arcFigure(QByteArrayView rec, bool pie, bool clockwise) {
    const Box b = boxAt(rec);
    const double cx = (double(b.left) + b.right) / 2;
    const double cy = (double(b.top) + b.bottom) / 2;
    const double rx = (double(b.right) - b.left) / 2;
    const double ry = (double(b.bottom) - b.top) / 2;
    if (rx == 0 || ry == 0)
        return {};
    const auto angle = [&](qint64 at) {
        return std::atan2(-(double(*readI32(rec, at + 4)) - cy) / ry,
                          (double(*readI32(rec, at)) - cx) / rx);
    };
    const double from = angle(24);
    double to = angle(32);
    if (clockwise) {
        while (to >= from)
            to -= 2 * Pi;
    } else {
        while (to <= from)
            to += 2 * Pi;
    }
    const QPointF centre(cx, cy);
    const QPointF start(cx + rx * std::cos(from), cy - ry * std::sin(from));
    QList<QPointF> points{pie ? centre : start};
    if (pie)
        appendLine(points, start);
    appendArc(points, b, from, to);
    appendLine(points, pie ? centre : start);
    return points;
}

// The shape as a record the converter can fill as a path; empty for records
// that are not outlined shapes.
QByteArray asPathFigure(QByteArrayView rec, std::uint32_t type, const PenState& pen) {
    switch (type) {
    case Polygon:
    case Polygon16:
    case PolyPolygon:
    case PolyPolygon16:
        return rec.toByteArray();
    case Rectangle: {
        const Box b = boxAt(rec);
        return pointsRecord(Polygon, b,
                            {QPointF(b.left, b.top), QPointF(b.right, b.top),
                             QPointF(b.right, b.bottom), QPointF(b.left, b.bottom)});
    }
    case Ellipse: {
        const Box b = boxAt(rec);
        const double cx = (double(b.left) + b.right) / 2;
        const double cy = (double(b.top) + b.bottom) / 2;
        const double kx = Kappa * (double(b.right) - b.left) / 2;
        const double ky = Kappa * (double(b.bottom) - b.top) / 2;
        return pointsRecord(PolyBezier, b,
                            {QPointF(b.right, cy), QPointF(b.right, cy + ky),
                             QPointF(cx + kx, b.bottom), QPointF(cx, b.bottom),
                             QPointF(cx - kx, b.bottom), QPointF(b.left, cy + ky),
                             QPointF(b.left, cy), QPointF(b.left, cy - ky), QPointF(cx - kx, b.top),
                             QPointF(cx, b.top), QPointF(cx + kx, b.top), QPointF(b.right, cy - ky),
                             QPointF(b.right, cy)});
    }
    case RoundRect:
        return rec.size() >= 32 ? pointsRecord(PolyBezier, boxAt(rec), roundRectFigure(rec))
                                : QByteArray();
    case Chord:
    case Pie: {
        const QList<QPointF> figure =
            rec.size() >= 40 ? arcFigure(rec, type == Pie, pen.clockwise) : QList<QPointF>();
        return figure.isEmpty() ? QByteArray() : pointsRecord(PolyBezier, boxAt(rec), figure);
    }
    default:
        return {};
    }
}

} // namespace

QByteArray emfWithNullPenShapesAsPaths(const QByteArray& bytes) {
    // Which object handles hold pens, and whether each draws nothing.
    QHash<std::uint32_t, bool> pens;
    PenState pen;
    bool inPath = false;
    QList<PenState> saved;
    QByteArray out;
    qint64 added = 0;
    qint64 at = 0;
    for (;;) {
        const std::optional<EmfRecord> next = emfRecordAt(bytes, at);
        if (!next)
            return bytes; // not a checked file: leave it to the converter as it is
        const std::uint32_t type = next->type;
        const QByteArrayView rec = next->bytes;
        const qint64 size = rec.size();
        at += size;

        // Rounded rectangles go as paths whatever the pen: the converter
        // takes their corner size for the radius, twice what Windows draws.
        if ((pen.nullPen || type == RoundRect) && !inPath && size >= 24) {
            const QByteArray figure = asPathFigure(rec, type, pen);
            if (!figure.isEmpty()) {
                out += record(BeginPath);
                out += figure;
                out += record(EndPath);
                out += record(pen.nullPen ? FillPath : StrokeAndFillPath, rec.sliced(8, 16));
                added += 3;
                continue;
            }
        }
        out += rec;
        switch (type) {
        case CreatePen:
            if (size >= 16)
                pens.insert(u32(rec, 8), (u32(rec, 12) & PenStyleMask) == PsNull);
            break;
        case ExtCreatePen:
            if (size >= 32)
                pens.insert(u32(rec, 8), (u32(rec, 28) & PenStyleMask) == PsNull);
            break;
        case DeleteObject:
            if (size >= 12)
                pens.remove(u32(rec, 8));
            break;
        case SelectObject: {
            const std::uint32_t handle = size >= 12 ? u32(rec, 8) : 0;
            if (handle == StockNullPen)
                pen.nullPen = true;
            else if (handle == StockWhitePen || handle == StockBlackPen)
                pen.nullPen = false;
            else if (!(handle & StockObject) && pens.contains(handle))
                pen.nullPen = pens.value(handle);
            break;
        }
        case SetArcDirection:
            if (size >= 12)
                pen.clockwise = u32(rec, 8) == AdClockwise;
            break;
        case SaveDc:
            if (saved.size() < MaxSaved)
                saved.append(pen);
            break;
        case RestoreDc: {
            // A negative level counts back from the newest save, a positive
            // one names a save by its number; anything else restores nothing.
            const std::int32_t level = size >= 12 ? *readI32(rec, 8) : 0;
            const qsizetype keep = level < 0 ? saved.size() + level : qsizetype(level) - 1;
            if (keep >= 0 && keep < saved.size()) {
                pen = saved[keep];
                saved.resize(keep);
            }
            break;
        }
        case BeginPath:
            inPath = true;
            break;
        case EndPath:
        case AbortPath:
            inPath = false;
            break;
        default:
            break;
        }
        if (type == Eof)
            break;
    }
    if (added == 0)
        return bytes;
    return finishedEmf(std::move(out), bytes, at, qint64(added));
}

} // namespace graphics
