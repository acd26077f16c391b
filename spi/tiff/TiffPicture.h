#pragma once

// The first page of a TIFF file image in memory, in strips or tiles, under
// every compression this libtiff was built with. libtiff's RGBA reader takes
// the common kinds (8- and 16-bit grey, palette, RGB, CMYK, YCbCr); pages it
// refuses or would read wrong (integer samples of other widths, signed and
// floating-point samples, 16-bit palettes, CIE L*a*b*) are read sample by
// sample and converted here. The file's orientation tag is applied, so the
// picture stands as the file says.

#include "sdk/sorteka_spi.h"
#include "spi/common/Orientation.h"
#include "spi/tiff/TiffMemoryFile.h"

#include <cstdint>
#include <span>

namespace spi {
class DibBuilder;
}

namespace tiffspi {

class TiffPicture {
public:
    // Reads the header and the first page's directory. `bytes` must outlive
    // this object. Returns SPI_SUCCESS, SPI_UNKNOWN_FORMAT for data that is no
    // TIFF file, or SPI_BROKEN_DATA for a damaged directory.
    [[nodiscard]] std::int32_t open(std::span<const std::uint8_t> bytes);

    // The stored size; orientation() tells how it is turned for display.
    [[nodiscard]] std::uint32_t width() const { return width_; }
    [[nodiscard]] std::uint32_t height() const { return height_; }
    [[nodiscard]] spi::Orientation orientation() const { return orientation_; }
    // Bits per pixel as stored: bits per sample times samples per pixel.
    [[nodiscard]] std::int16_t depth() const { return depth_; }
    // Resolution in dots per inch, 0 when the file gives none.
    [[nodiscard]] double xDpi() const { return xDpi_; }
    [[nodiscard]] double yDpi() const { return yDpi_; }

    // Decodes into `dib` (started here), reporting progress and stopping with
    // SPI_ABORTED when the host asks to. SPI_UNKNOWN_FORMAT for a kind of
    // TIFF read by neither way (YCbCr outside 8 bits, LogLuv, say).
    [[nodiscard]] std::int32_t decode(spi::DibBuilder& dib, SpiProgressCallback progress,
                                      intptr_t user);

private:
    // What the RGBA reader leaves out, read sample by sample.
    [[nodiscard]] std::int32_t decodeSamples(spi::DibBuilder& dib, SpiProgressCallback progress,
                                             intptr_t user);

    TiffMemoryFile file_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    spi::Orientation orientation_ = 1;
    std::int16_t depth_ = 0;
    double xDpi_ = 0;
    double yDpi_ = 0;
};

} // namespace tiffspi
