#pragma once

// Shapes of an EMF drawn without an outline (the null pen) made fit for the
// EMF converter, which outlines every shape one pixel wide in its fill colour
// whatever the pen: in a small drawing that makes each shape a pixel larger
// all round. Filled as a path instead, they come out outlined by nothing, as
// Windows draws them: polygons as they are, rectangles as four-point polygons,
// ellipses as four Bézier arcs, and rounded rectangles, pies and chords as
// lines and arcs in one Bézier figure. Rounded rectangles go as paths with a
// pen too: the converter takes their corner size for the radius, twice what
// Windows draws.

#include <QByteArray>

namespace graphics {

// `bytes` must have passed checkEmf(). Drawings with no such shapes come back
// unchanged.
[[nodiscard]] QByteArray emfWithNullPenShapesAsPaths(const QByteArray& bytes);

} // namespace graphics
