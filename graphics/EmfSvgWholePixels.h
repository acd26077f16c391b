#pragma once

// The EMF converter's bitmaps and text moved onto whole pixels of our
// picture. The converter places them where their logical coordinates
// fall, a fraction of a pixel off the grid: Qt SVG then resamples a bitmap,
// and a photograph drawn at its own size comes out blurred across every
// pixel; text between pixels is smeared over two rows and columns.
// Windows puts bitmaps and text on whole device pixels, and so does the
// office program whose drawings we are compared with; a bitmap at its own
// size then stays sharp.

#include <QByteArray>
#include <QRectF>

namespace graphics {

// `svg` as the converter writes it, to be drawn into `target` of the picture:
// `<image>` rectangles have their edges rounded to whole pixels there, and
// `<text>` its start and baseline. Office programs hold a drawing in whole
// hundredths of a millimetre, so a bitmap's edge is first rounded to those
// when `pixelsPerHundredth` (of a millimetre of the frame, on the picture) is
// known: an edge within a fiftieth of a pixel of half-way landed a pixel from
// where they put it (a bullet's highlight a column short). An SVG of another
// shape than the converter's (transforms below its outer group, a view box)
// comes back unchanged.
[[nodiscard]] QByteArray svgOnWholePixels(const QByteArray& svg, const QRectF& target,
                                          double pixelsPerHundredth);

} // namespace graphics
