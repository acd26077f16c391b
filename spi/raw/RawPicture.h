#pragma once

// A camera RAW file read through LibRaw from a file image in memory. What is
// shown is the embedded preview when the camera stored one of a useful size
// (JPEG or plain RGB), else the sensor data developed at half size, which is
// fast and still larger than any screen. Either way the picture stands as the
// camera held it: LibRaw's orientation ("flip") is applied once, to the
// preview here and to the developed image by LibRaw itself.

#include "sdk/sorteka_spi.h"
#include "spi/common/Orientation.h"
#include "spi/common/ScaledSize.h"

#include <cstdint>
#include <memory>
#include <span>

namespace spi {
class DibBuilder;
}

namespace rawspi {

class PreviewAwareLibRaw;

// The EXIF orientation that LibRaw's "flip" value stands for.
[[nodiscard]] spi::Orientation orientationFromFlip(int flip);

class RawPicture {
public:
    enum class Source { Preview, HalfSize };

    RawPicture();
    ~RawPicture();
    RawPicture(const RawPicture&) = delete;
    RawPicture& operator=(const RawPicture&) = delete;

    // Parses the file's metadata and picks what to show; develops nothing.
    // `bytes` must outlive this object. Returns SPI_SUCCESS or an error code.
    [[nodiscard]] std::int32_t open(std::span<const std::uint8_t> bytes);

    // Works out the upright size of what decode() returns; only for the
    // header query, as LibRaw cannot develop the file afterwards.
    [[nodiscard]] std::int32_t measure();

    // The source open() picked, and after measure() the size.
    [[nodiscard]] Source source() const { return source_; }
    [[nodiscard]] std::uint32_t width() const { return width_; }
    [[nodiscard]] std::uint32_t height() const { return height_; }

    // Decodes the picked source into `dib` (started here). Returns SPI_SUCCESS
    // or an error code; SPI_ABORTED when the host's callback asked to stop.
    [[nodiscard]] std::int32_t decode(spi::DibBuilder& dib, SpiProgressCallback progress,
                                      intptr_t user);

    // As decode(), for a host that shows the picture within `box`: the
    // embedded preview whenever it covers the box (reduced further by the
    // DCT where it is a JPEG), else what decode() gives.
    [[nodiscard]] std::int32_t decodeScaled(spi::DibBuilder& dib, spi::FitBox box,
                                            SpiProgressCallback progress, intptr_t user);

private:
    // A preview LibRaw can hand over whole and this filter can show; sets the
    // preview's upright size.
    [[nodiscard]] bool findPreview();
    // Large enough to stand for the photo rather than to list it.
    [[nodiscard]] bool previewLargeEnough() const;
    [[nodiscard]] std::int32_t decodePreview(spi::DibBuilder& dib, int eighths,
                                             SpiProgressCallback progress, intptr_t user);
    [[nodiscard]] std::int32_t decodeHalfSize(spi::DibBuilder& dib, SpiProgressCallback progress,
                                              intptr_t user);

    std::unique_ptr<PreviewAwareLibRaw> raw_;
    Source source_ = Source::HalfSize;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    bool hasPreview_ = false;
    std::uint32_t previewWidth_ = 0;
    std::uint32_t previewHeight_ = 0;
    std::span<const std::uint8_t> bytes_;
    std::span<const std::uint8_t> jpegPreview_;
};

} // namespace rawspi
