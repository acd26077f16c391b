#pragma once

// PNG decoding over libpng: the header chunk alone for GetPictureInfo, the
// whole first image for GetPicture. Palette, grey, 16-bit and interlaced
// pictures come out as 24-bit rows, those with alpha or a transparent colour
// as 32-bit rows. Every library error and a cut-off file end as an error code.

#include "sdk/sorteka_spi.h"

#include <cstdint>
#include <span>

namespace spi {
class DibBuilder;
} // namespace spi

namespace spipng {

[[nodiscard]] bool hasPngSignature(std::span<const std::uint8_t> data);

[[nodiscard]] std::int32_t readPngInfo(std::span<const std::uint8_t> file, SpiPictureInfo* info);

// Decodes into `dib`, reporting rows to `progress`; SPI_ABORTED when it asks to stop.
[[nodiscard]] std::int32_t decodePng(std::span<const std::uint8_t> file,
                                     SpiProgressCallback progress, intptr_t user,
                                     spi::DibBuilder& dib);

} // namespace spipng
