#pragma once

// Builds the two handles GetPicture returns: a bitmap-info block (a 40-byte
// header, no colour table) and bottom-up pixel rows, 24-bit blue-green-red or,
// for pictures with alpha, 32-bit blue-green-red-alpha (straight alpha).
//
// Decoders hand in their rows top-down in stored order; the EXIF orientation
// given to start() puts every pixel straight into its upright place, so no
// second copy of the picture is made. Handles that were not handed over are
// freed with the builder.

#include "sdk/sorteka_spi.h"
#include "spi/common/Orientation.h"

#include <cstddef>
#include <cstdint>

namespace spi {

// Layouts of the rows decoders hand in. The 16-bit ones are native-endian
// words; CMYK counts ink (0 none), inverted CMYK counts paper (255 none).
enum class PixelFormat {
    Rgb8,
    Rgba8,
    Bgr8,
    Bgra8,
    Grey8,
    GreyAlpha8,
    Rgb16,
    Rgba16,
    Grey16,
    GreyAlpha16,
    Cmyk8,
    InvertedCmyk8,
};

[[nodiscard]] int bytesPerPixel(PixelFormat format);

class DibBuilder {
public:
    DibBuilder() = default;
    ~DibBuilder();
    DibBuilder(const DibBuilder&) = delete;
    DibBuilder& operator=(const DibBuilder&) = delete;

    // Allocates the handles for a stored picture of width × height. Returns
    // SPI_SUCCESS, SPI_BROKEN_DATA for an empty picture, SPI_NO_MEMORY above the
    // pixel limit or when memory runs out.
    [[nodiscard]] std::int32_t start(std::uint32_t width, std::uint32_t height, bool alpha,
                                     Orientation orientation = 1);

    // Size of the upright picture.
    [[nodiscard]] std::uint32_t width() const { return outWidth_; }
    [[nodiscard]] std::uint32_t height() const { return outHeight_; }
    [[nodiscard]] bool hasAlpha() const { return pixelBytes_ == 4; }
    [[nodiscard]] std::size_t stride() const { return stride_; }

    // Where stored row `y` goes when it can be written in place (upright
    // pictures only): width() pixels in the bitmap's own layout (Bgr8, or
    // Bgra8 with alpha). Null otherwise; then use putRow().
    [[nodiscard]] std::uint8_t* directRow(std::uint32_t y);

    // Converts stored row `y` (width pixels of `format`) into place. A picture
    // without alpha drops the alpha of the row; one with alpha makes opaque
    // pixels of a row without it.
    void putRow(std::uint32_t y, const void* pixels, PixelFormat format);

    // Pixel density for the bitmap header, in pixels per metre.
    void setDensity(std::int32_t xPelsPerMeter, std::int32_t yPelsPerMeter);

    // Hands both handles to the caller, who owns them from now on.
    void release(HLOCAL* bitmapInfo, HLOCAL* bits);

private:
    void freeHandles();

    HLOCAL info_ = nullptr;
    HLOCAL bits_ = nullptr;
    std::uint8_t* pixels_ = nullptr;
    std::uint32_t inWidth_ = 0;
    std::uint32_t inHeight_ = 0;
    std::uint32_t outWidth_ = 0;
    std::uint32_t outHeight_ = 0;
    std::size_t stride_ = 0;
    int pixelBytes_ = 3;
    Orientation orientation_ = 1;
};

// SPI_SUCCESS for a picture size the plug-ins decode, SPI_BROKEN_DATA for an
// empty one, SPI_NO_MEMORY for one above the pixel limit.
[[nodiscard]] std::int32_t checkPictureSize(std::uint64_t width, std::uint64_t height);

// Fills the picture-info record for a stored picture of width × height shown
// in `orientation`; `depth` is the bit depth the file declares. Returns
// checkPictureSize's verdict and leaves the record alone unless it is SPI_SUCCESS.
[[nodiscard]] std::int32_t fillPictureInfo(SpiPictureInfo* info, std::uint32_t width,
                                           std::uint32_t height, std::int16_t depth,
                                           Orientation orientation);

} // namespace spi
