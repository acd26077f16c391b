#pragma once

// The program's own reader of device-independent bitmaps: BMP files, icon
// entries and the bitmaps plug-ins hand over all come through here. It reads
// every header version, bit counts 1, 2, 4, 8, 16, 24 and 32, bit-field masks
// of any width (scaled to 8 bits), short colour tables, RLE4 and RLE8 with
// deltas and early ends, top-down rows, and JPEG or PNG streams (through Qt's
// own readers). Nothing is read outside the views it is given and every pixel
// of the result is defined: pixels that run-length data skips are transparent.

#include "graphics/DibHeader.h"

#include <QByteArrayView>
#include <QImage>

namespace graphics {

// Where a 32-bit picture without an alpha mask gets its transparency from.
enum class DibAlpha {
    // Only from an alpha mask the header declares (BMP files).
    Declared,
    // Also from the fourth byte of plain 32-bit pixels when any of them is not
    // zero (bitmaps from plug-ins, icon images).
    FourthByte,
};

// Decodes the pixels of a checked header. `info` holds the header and what
// follows it up to the pixels (masks, colour table); colour entries that do
// not fit in it are black. `pixels` holds the pixel data. Raises
// EInvalidGraphic when the pixels are too short or cannot be decoded, and
// std::bad_alloc when memory runs out.
[[nodiscard]] QImage decodeDib(const DibHeader& header, QByteArrayView info, QByteArrayView pixels,
                               DibAlpha alpha);

// The same, reading the header from `info` first.
[[nodiscard]] QImage readDib(QByteArrayView info, QByteArrayView pixels, DibAlpha alpha);

} // namespace graphics
