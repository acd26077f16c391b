#include "graphics/EmfSvgCurves.h"

#include "graphics/EmfSvgDrawing.h"
#include "graphics/FineCurves.h"

#include <QList>
#include <algorithm>
#include <cmath>
#include <optional>

namespace graphics {
namespace {

// Past this many added bytes the drawing keeps its curves.
constexpr qsizetype MaxAddedBytes = qsizetype(8) * 1024 * 1024;
// Control points of a quarter ellipse, per radius.
constexpr double Kappa = 0.5522847498;

void appendPoint(QByteArray& out, const QPointF& p) {
    out += QByteArray::number(p.x(), 'f', 4);
    out += ',';
    out += QByteArray::number(p.y(), 'f', 4);
    out += ' ';
}

void appendLines(QByteArray& out, const QList<QPointF>& points) {
    out += "L ";
    for (const QPointF& p : points)
        appendPoint(out, p);
}

std::optional<QPointF> pointOf(QByteArrayView token) {
    const qsizetype comma = token.indexOf(',');
    if (comma < 0)
        return std::nullopt;
    bool okX = false;
    bool okY = false;
    const double x = token.first(comma).toDouble(&okX);
    const double y = token.sliced(comma + 1).toDouble(&okY);
    if (!okX || !okY || !std::isfinite(x) || !std::isfinite(y) || std::abs(x) > MaxSvgCoordinate ||
        std::abs(y) > MaxSvgCoordinate)
        return std::nullopt;
    return QPointF(x, y);
}

// A path's data with its curves as lines; nothing when it holds anything but
// the converter's absolute moves, lines, curves and closes.
std::optional<QByteArray> fineData(QByteArrayView data, double pixelsPerUnit) {
    QByteArray out;
    QList<QPointF> curve; // the control points of the curve being read
    QList<QPointF> lines;
    char command = 0;
    QPointF current;
    QPointF start;
    bool curved = false;
    for (const QByteArray& token : data.toByteArray().simplified().split(' ')) {
        if (token.isEmpty())
            continue;
        if (token.size() == 1 && !std::isdigit(static_cast<unsigned char>(token[0]))) {
            command = token[0];
            if (command != 'M' && command != 'L' && command != 'C' && command != 'Z')
                return std::nullopt;
            if (!curve.isEmpty())
                return std::nullopt;
            if (command == 'Z')
                current = start;
            if (command != 'C')
                out += token + ' ';
            continue;
        }
        const auto point = pointOf(token);
        if (!point || command == 0 || command == 'Z')
            return std::nullopt;
        if (command != 'C') {
            if (command == 'M' && out.endsWith("M "))
                start = *point;
            current = *point;
            out += token + ' ';
            continue;
        }
        curve.append(*point);
        if (curve.size() < 3)
            continue;
        lines.clear();
        appendFineCubic(lines, current, curve[0], curve[1], curve[2], pixelsPerUnit);
        appendLines(out, lines);
        current = curve[2];
        curve.clear();
        curved = true;
    }
    if (!curve.isEmpty() || !curved)
        return std::nullopt;
    return out;
}

// An ellipse as the path SVG draws it: from its right end, on through its
// bottom, as fine lines.
QByteArray fineEllipse(const QPointF& c, double rx, double ry, double pixelsPerUnit) {
    const double kx = Kappa * rx;
    const double ky = Kappa * ry;
    const QPointF right(c.x() + rx, c.y());
    const QPointF bottom(c.x(), c.y() + ry);
    const QPointF left(c.x() - rx, c.y());
    const QPointF top(c.x(), c.y() - ry);
    QList<QPointF> points;
    appendFineCubic(points, right, right + QPointF(0, ky), bottom + QPointF(kx, 0), bottom,
                    pixelsPerUnit);
    appendFineCubic(points, bottom, bottom - QPointF(kx, 0), left + QPointF(0, ky), left,
                    pixelsPerUnit);
    appendFineCubic(points, left, left - QPointF(0, ky), top - QPointF(kx, 0), top, pixelsPerUnit);
    appendFineCubic(points, top, top + QPointF(kx, 0), right - QPointF(0, ky), right,
                    pixelsPerUnit);
    QByteArray data = "M ";
    appendPoint(data, right);
    appendLines(data, points);
    data += "Z";
    return data;
}

} // namespace

QByteArray svgWithFineCurves(const QByteArray& svg, const QRectF& target) {
    if (target.isEmpty())
        return svg;
    const auto space = svgDrawingSpace(svg);
    if (!space)
        return svg;
    const double pixelsPerUnit =
        std::max(target.width() / space->size.width(), target.height() / space->size.height());

    QByteArray out;
    qsizetype copied = 0;
    const auto replace = [&](qsizetype begin, qsizetype end, const QByteArray& with) {
        out += QByteArrayView(svg).sliced(copied, begin - copied);
        out += with;
        copied = end;
        return out.size() - copied <= MaxAddedBytes;
    };
    for (const SvgElement& element : svgElements(svg, {"path", "ellipse"})) {
        const qsizetype at = element.begin;
        const qsizetype close = element.end;
        if (element.kind == 0) {
            const auto d = svgAttribute(svg, at, close, "d");
            if (!d)
                continue;
            const auto data =
                fineData(QByteArrayView(svg).sliced(d->begin, d->end - d->begin), pixelsPerUnit);
            if (data && !replace(d->begin, d->end, *data))
                return svg;
            continue;
        }
        // The converter writes the centre and radii first, in this order.
        const auto cx = svgNumber(svg, at, close, "cx");
        const auto cy = svgNumber(svg, at, close, "cy");
        const auto rx = svgNumber(svg, at, close, "rx");
        const auto ry = svgNumber(svg, at, close, "ry");
        if (!cx || !cy || !rx || !ry || rx->value <= 0 || ry->value <= 0 ||
            cx->place.begin != at + qsizetype(sizeof "<ellipse cx=\"") - 1 ||
            cy->place.begin != cx->place.end + qsizetype(sizeof "\" cy=\"") - 1 ||
            rx->place.begin != cy->place.end + qsizetype(sizeof "\" rx=\"") - 1 ||
            ry->place.begin != rx->place.end + qsizetype(sizeof "\" ry=\"") - 1)
            continue;
        const QByteArray asPath = "<path d=\"" + fineEllipse(QPointF(cx->value, cy->value),
                                                             rx->value, ry->value, pixelsPerUnit);
        if (!replace(at, ry->place.end, asPath))
            return svg;
    }
    if (copied == 0)
        return svg;
    out += QByteArrayView(svg).sliced(copied);
    return out;
}

} // namespace graphics
