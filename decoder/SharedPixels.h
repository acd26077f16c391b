#pragma once

// Decoded pixels in shared memory: the decoder writes them into a sealed
// memfd, the sorter maps that read-only and shows it without a copy.

#include "decoder/Protocol.h"

#include <QImage>

namespace decoder {

// A memfd holding the rows of `image` (32 bits a pixel), sealed against any
// further change of size or content; -1 when memory runs out.
[[nodiscard]] int writeSharedPixels(const QImage& image);

// The picture in `descriptor`, described by `result`, mapped read-only; the
// mapping goes with the last copy of the image. Takes the descriptor over.
// A null image when the description does not fit the memory (a size beyond
// it, a format other than the two the decoder writes, an unsealed memfd).
[[nodiscard]] QImage mapSharedPixels(int descriptor, const DecodeResult& result);

} // namespace decoder
