#pragma once

// Embedded bitmaps of an EMF made fit for the EMF converter, which draws
// only plain bitmaps and ignores raster operations: RLE, JPEG and PNG bitmaps
// become plain 32-bit ones, and the mask-and-image pair that draws a bitmap
// with transparent parts (a mask ORed in, then the image ANDed over it) becomes
// one bitmap with alpha.

#include <QByteArray>

namespace graphics {

// `bytes` must have passed checkEmf(). Bitmaps that cannot be read are left
// as they are.
[[nodiscard]] QByteArray emfWithPlainBitmaps(const QByteArray& bytes);

} // namespace graphics
