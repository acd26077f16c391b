#pragma once

// The primary image of a HEIF file (HEIC or AVIF) read through libheif from a
// file image in memory. libheif applies the file's own turn and mirror
// ("irot"/"imir") and crop while decoding, and the size it reports is already
// the upright one. An EXIF orientation tag inside the file describes the same
// turn for other readers, so it is deliberately not applied a second time.

#include "sdk/sorteka_spi.h"

#include <cstdint>
#include <span>

struct heif_context;
struct heif_image_handle;

namespace spi {
class DibBuilder;
}

namespace heifspi {

class HeifPicture {
public:
    HeifPicture() = default;
    ~HeifPicture();
    HeifPicture(const HeifPicture&) = delete;
    HeifPicture& operator=(const HeifPicture&) = delete;

    // Reads the file's boxes and finds the primary image; decodes nothing.
    // `bytes` must outlive this object. Returns SPI_SUCCESS or an error code.
    [[nodiscard]] std::int32_t open(std::span<const std::uint8_t> bytes);

    // Upright size of the primary image, valid after open().
    [[nodiscard]] std::uint32_t width() const { return width_; }
    [[nodiscard]] std::uint32_t height() const { return height_; }
    [[nodiscard]] bool hasAlpha() const { return hasAlpha_; }

    // Decodes the primary image into `dib` (started here), reporting progress
    // and stopping with SPI_ABORTED when the host asks to.
    [[nodiscard]] std::int32_t decode(spi::DibBuilder& dib, SpiProgressCallback progress,
                                      intptr_t user);

private:
    heif_context* context_ = nullptr;
    heif_image_handle* primary_ = nullptr;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    bool hasAlpha_ = false;
};

} // namespace heifspi
