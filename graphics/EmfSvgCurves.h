#pragma once

// The EMF converter's curves (Bézier paths and ellipses) written as fine
// lines, so that Qt fills them with their exact coverage (FineCurves.h).

#include <QByteArray>
#include <QRectF>

namespace graphics {

// `svg` as the converter writes it, to be drawn into `target` of the picture.
// Paths other than the converter's absolute lines and curves, and SVGs of
// another shape (transforms below the outer group, a view box), come back
// as they were.
[[nodiscard]] QByteArray svgWithFineCurves(const QByteArray& svg, const QRectF& target);

} // namespace graphics
