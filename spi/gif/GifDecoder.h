#pragma once

// GIF decoding over giflib: the first frame, painted on the logical screen.
// Transparency, and screen areas the frame leaves uncovered, give 32-bit rows
// with alpha; interlaced frames and local palettes come out right. Every
// library error and a cut-off file end as an error code.

#include "sdk/sorteka_spi.h"

#include <cstdint>
#include <span>

namespace spi {
class DibBuilder;
} // namespace spi

namespace spigif {

[[nodiscard]] bool hasGifSignature(std::span<const std::uint8_t> data);

[[nodiscard]] std::int32_t readGifInfo(std::span<const std::uint8_t> file, SpiPictureInfo* info);

// Decodes into `dib`, reporting rows to `progress`; SPI_ABORTED when it asks to stop.
[[nodiscard]] std::int32_t decodeGif(std::span<const std::uint8_t> file,
                                     SpiProgressCallback progress, intptr_t user,
                                     spi::DibBuilder& dib);

} // namespace spigif
