#pragma once

// Decodes the JPEG preview a camera embeds in its RAW file (libjpeg-turbo),
// straight into a bitmap turned by the RAW file's orientation. The preview's
// own EXIF orientation, if any, is not consulted: the RAW file's is the one
// the camera meant for all of its images.

#include "spi/common/Orientation.h"

#include <cstdint>
#include <span>

namespace spi {
class DibBuilder;
class Progress;
} // namespace spi

namespace rawspi {

struct JpegSize {
    std::uint32_t width = 0; // as stored
    std::uint32_t height = 0;
};

// Reads the frame header. Returns SPI_SUCCESS or SPI_BROKEN_DATA.
[[nodiscard]] std::int32_t readJpegSize(std::span<const std::uint8_t> jpeg, JpegSize& size);

// Decodes `jpeg` into `dib` (started here with `orientation`), reduced by the
// DCT to `eighths`/8 (8: full size); progress runs from `first` to
// `first + steps`. Returns SPI_SUCCESS or an error code.
[[nodiscard]] std::int32_t decodeJpeg(std::span<const std::uint8_t> jpeg,
                                      spi::Orientation orientation, int eighths,
                                      spi::DibBuilder& dib, spi::Progress& progress,
                                      std::int64_t first, std::int64_t steps);

} // namespace rawspi
