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

// `pixels` (from the frame's edge) rounded to a whole pixel as office programs
// place things: first to a whole hundredth of a millimetre, when
// `pixelsPerHundredth` (of the frame, on the picture) is known, then to a
// pixel. Straight to pixels, a place within a fiftieth of a pixel of half-way
// lands a pixel from theirs.
[[nodiscard]] double wholePixelOnPaper(double pixels, double pixelsPerHundredth);

// `svg` as the converter writes it, to be drawn into `target` of the picture:
// `<image>` rectangles have their edges rounded to whole pixels there, and
// `<text>` its start and baseline. A bitmap's edges go through
// wholePixelOnPaper() (rounded straight, a bullet's highlight fell a column
// short); a string's start is rounded straight, as office programs place it.
// An SVG of another shape than the converter's (transforms below its outer
// group, a view box) comes back unchanged.
[[nodiscard]] QByteArray svgOnWholePixels(const QByteArray& svg, const QRectF& target,
                                          double pixelsPerHundredth);

} // namespace graphics
