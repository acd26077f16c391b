#pragma once

// JPEG decoding over libjpeg-turbo: the header alone for GetPictureInfo, the
// whole picture for GetPicture, a picture reduced by DCT scaling for
// GetPictureScaled, each with the EXIF orientation applied. Every
// library error and a cut-off stream end as an error code.

#include "sdk/sorteka_spi.h"
#include "spi/common/ScaledSize.h"

#include <cstdint>
#include <span>

namespace spi {
class DibBuilder;
} // namespace spi

namespace spijpeg {

// True for the start-of-image marker followed by another marker (or fill).
[[nodiscard]] bool hasJpegSignature(std::span<const std::uint8_t> data);

[[nodiscard]] std::int32_t readJpegInfo(std::span<const std::uint8_t> file, SpiPictureInfo* info);

// Decodes into `dib`, reporting rows to `progress`; SPI_ABORTED when it asks to stop.
[[nodiscard]] std::int32_t decodeJpeg(std::span<const std::uint8_t> file,
                                      SpiProgressCallback progress, intptr_t user,
                                      spi::DibBuilder& dib);

// As decodeJpeg, reduced by the smallest DCT scale (1/8 to 8/8) that still
// covers the picture scaled to fit `box`.
[[nodiscard]] std::int32_t decodeJpegScaled(std::span<const std::uint8_t> file, spi::FitBox box,
                                            SpiProgressCallback progress, intptr_t user,
                                            spi::DibBuilder& dib);

} // namespace spijpeg
