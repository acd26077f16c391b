#pragma once

// A look at a BMP file's headers before any decoder touches it: the file is
// taken only when it declares a sane picture whose pixels are all present.

#include "graphics/DibHeader.h"

#include <QByteArrayView>

namespace graphics {

// Bytes of a BMP file's headers that checkBmpFile() needs at most.
inline constexpr qint64 BmpHeadBytes = 14 + 124;

// Checks the headers at the start of `head` for a file of `fileSize` bytes.
// Raises EInvalidGraphic with the reason when the file is no BMP, declares a
// picture we refuse, or is shorter than its pixels need.
DibHeader checkBmpFile(QByteArrayView head, qint64 fileSize);

} // namespace graphics
