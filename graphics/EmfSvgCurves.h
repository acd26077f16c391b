#pragma once

// The EMF converter's curves (Bézier paths and ellipses) written as lines cut
// as other renderers cut them (FineCurves.h), before Qt SVG cuts them coarser.

#include <QByteArray>
#include <QRectF>

namespace graphics {

// `svg` as the converter writes it, to be drawn into `target` of the picture.
// Paths other than the converter's absolute lines and curves, and SVGs of
// another shape (transforms below the outer group, a view box), come back
// as they were.
[[nodiscard]] QByteArray svgWithFineCurves(const QByteArray& svg, const QRectF& target);

} // namespace graphics
