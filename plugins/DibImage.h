#pragma once

// Turning the bitmap a plug-in hands back (bitmap info and pixel rows, each in
// a block of known size) into a picture, without trusting any of it: the
// header, the colour table and every pixel row must lie inside their blocks,
// and all sizes are worked out in 64-bit arithmetic before anything is read.

#include "graphics/DibHeader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <optional>

namespace plugins {

class PluginHandle;

// A block of memory a plug-in handed over, with the size its handle reports.
struct DibBlock {
    const unsigned char* data = nullptr;
    qint64 size = 0;

    [[nodiscard]] QByteArrayView view() const {
        return {reinterpret_cast<const char*>(data), qsizetype(size)};
    }
};

// Where the parts of a checked DIB lie.
struct DibLayout {
    graphics::DibHeader header;
    qint64 colorTableAt = 0;    // offset in the bitmap info
    qint64 colorTableBytes = 0; // colour entries (and bit-field masks)
    qint64 pixelBytes = 0;      // bytes of the pixel rows that are read
};

// Checks the bitmap info and the pixel block. On failure gives nothing and a
// short reason in `error`.
[[nodiscard]] std::optional<DibLayout> checkDib(DibBlock info, DibBlock bits, QString* error);

// True when imageFromPlainDib() can build the picture directly (plain rows).
[[nodiscard]] bool isPlainDib(const DibLayout& layout);

// The picture of a checked plain DIB, through the bitmap reader (a 32-bit
// picture whose fourth bytes are not all zero keeps them as alpha). A null
// image when memory runs out.
[[nodiscard]] QImage imageFromPlainDib(const DibLayout& layout, DibBlock info, DibBlock bits);

// The picture of a checked plain DIB built on the pixel handle itself: the
// rows are put in order in place, and the picture takes the handle over,
// freeing it when its last copy goes. 32-bit pixels keep their fourth byte as
// alpha when any is not zero, and are made opaque otherwise. 2-, 4- and 16-bit
// pixels, which Qt does not take as they are, go through the bitmap reader.
// A null image when memory runs out; `bits` is then left as it was.
[[nodiscard]] QImage adoptPlainDib(const DibLayout& layout, DibBlock info, PluginHandle& bits);

// A BMP file holding a checked DIB of any other kind (bit fields, run-length
// encoding, JPEG or PNG), for the bitmap type's own reader.
[[nodiscard]] QByteArray bmpFileFromDib(const DibLayout& layout, DibBlock info, DibBlock bits);

} // namespace plugins
