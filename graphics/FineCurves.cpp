#include "graphics/FineCurves.h"

#include <algorithm>
#include <cmath>

namespace graphics {
namespace {

constexpr double Tolerance = 0.1; // of a pixel
constexpr int MaxDepth = 8;       // at most 256 lines a curve

struct Cubic {
    QPointF a, b, c, d;
};

// The square of the farther control point's distance from the chord.
double errorSquared(const Cubic& k) {
    QPointF fromB = k.b - k.a;
    QPointF fromC = k.c - k.a;
    if (k.a != k.d) {
        const QPointF chord = k.d - k.a;
        const double length = QPointF::dotProduct(chord, chord);
        const auto offChord = [&](QPointF& p) {
            const double along = QPointF::dotProduct(p, chord);
            if (along >= length)
                p -= chord;
            else if (along > 0)
                p -= along / length * chord;
        };
        offChord(fromB);
        offChord(fromC);
    }
    return std::max(QPointF::dotProduct(fromB, fromB), QPointF::dotProduct(fromC, fromC));
}

void subdivide(QList<QPointF>& points, const Cubic& k, double toleranceSquared, int depth) {
    if (depth >= MaxDepth || !(errorSquared(k) >= toleranceSquared)) {
        points.append(k.d);
        return;
    }
    const QPointF ab = (k.a + k.b) / 2;
    const QPointF bc = (k.b + k.c) / 2;
    const QPointF cd = (k.c + k.d) / 2;
    const QPointF abc = (ab + bc) / 2;
    const QPointF bcd = (bc + cd) / 2;
    const QPointF mid = (abc + bcd) / 2;
    subdivide(points, {k.a, ab, abc, mid}, toleranceSquared, depth + 1);
    subdivide(points, {mid, bcd, cd, k.d}, toleranceSquared, depth + 1);
}

} // namespace

void appendFineCubic(QList<QPointF>& points, const QPointF& from, const QPointF& c1,
                     const QPointF& c2, const QPointF& to, double pixelsPerUnit) {
    const double units = Tolerance / std::abs(pixelsPerUnit);
    if (!std::isfinite(units) || units <= 0) {
        points.append(to);
        return;
    }
    subdivide(points, {from, c1, c2, to}, units * units, 0);
}

QPainterPath withFineCurves(const QPainterPath& path, double pixelsPerUnit) {
    QPainterPath fine;
    fine.setFillRule(path.fillRule());
    QList<QPointF> points;
    QPointF current;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            fine.moveTo(e);
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            points.clear();
            appendFineCubic(points, current, e, path.elementAt(i + 1), path.elementAt(i + 2),
                            pixelsPerUnit);
            for (const QPointF& p : points)
                fine.lineTo(p);
            i += 2;
        } else {
            fine.lineTo(e);
        }
        current = fine.currentPosition();
    }
    return fine;
}

} // namespace graphics
