#pragma once

// A BMP file: its file header and bitmap header checked, and the picture read
// through the program's own bitmap reader.

#include "graphics/DibHeader.h"

#include <QByteArrayView>
#include <QImage>

namespace graphics {

// Where the parts of a checked BMP file lie.
struct BmpLayout {
    DibHeader header;
    qint64 pixelsAt = 0; // offset of the pixel data in the file
};

// Checks the headers of the whole file `file`. Raises EInvalidGraphic with
// the reason when it is no BMP, declares a picture we refuse, or is shorter
// than its uncompressed pixels need.
[[nodiscard]] BmpLayout checkBmpFile(QByteArrayView file);

// The picture of the whole BMP file `file`; raises EInvalidGraphic when it
// cannot be read.
[[nodiscard]] QImage readBmpFile(QByteArrayView file);

} // namespace graphics
