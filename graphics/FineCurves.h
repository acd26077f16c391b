#pragma once

// Curves cut into lines as the desktop's other renderers cut them (cairo,
// which draws the office suites' pictures among others): each Bézier curve
// halved until its control points lie within a tenth of a pixel of the
// chord. Qt's raster engine cuts them far coarser, up to a quarter of a pixel
// inside the curve: a circle a few pixels across came out smaller and a ring
// thicker than in any other program (a 16-pixel bullet's edges 20 levels
// too dark).

#include <QList>
#include <QPainterPath>
#include <QPointF>

namespace graphics {

// Appends the cubic Bézier curve from `from` through `c1` and `c2` to `to`
// as points after `from` (the last is `to`); `pixelsPerUnit` measures the
// points' units on the picture.
void appendFineCubic(QList<QPointF>& points, const QPointF& from, const QPointF& c1,
                     const QPointF& c2, const QPointF& to, double pixelsPerUnit);

// `path` with its curves as such lines.
[[nodiscard]] QPainterPath withFineCurves(const QPainterPath& path, double pixelsPerUnit);

} // namespace graphics
