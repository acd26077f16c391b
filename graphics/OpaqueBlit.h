#pragma once

// An opaque picture copied 1:1 into the window's own pixels, bypassing the
// processor's caches. A picture the size of the screen is several megabytes:
// copied as QPainter copies it, each row first reads the window's old pixels
// into the cache only to overwrite them, and the copy takes twice as long as
// the memory needs.

#include <QPoint>
#include <QRegion>

class QImage;
class QPainter;

namespace graphics {

// Copies `image` (opaque, at the painter's device pixel ratio) to `at` in the
// painter's coordinates, within `region` (in those coordinates too). False,
// with nothing done, when the painter does not paint straight onto an image
// of the same kind at whole pixels: draw it with the painter then.
[[nodiscard]] bool blitOpaque(QPainter& painter, QPoint at, const QImage& image,
                              const QRegion& region);

} // namespace graphics
