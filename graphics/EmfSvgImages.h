#pragma once

// The EMF converter's bitmaps moved onto whole pixels of our picture. The
// converter places a bitmap where its logical coordinates fall, a fraction of
// a pixel off the grid, and Qt SVG then resamples it: a photograph drawn at
// its own size comes out blurred across every pixel. Windows, and the office
// programs that write these files, put a bitmap's edges on whole device
// pixels, so one drawn at its own size stays sharp.

#include <QByteArray>
#include <QRectF>

namespace graphics {

// `svg` as the converter writes it, to be drawn into `target` of the picture;
// the `<image>` elements' rectangles are rounded to whole pixels there. An SVG
// of another shape than the converter's (transforms below its outer group)
// comes back unchanged.
[[nodiscard]] QByteArray svgWithImagesOnWholePixels(const QByteArray& svg, const QRectF& target);

} // namespace graphics
