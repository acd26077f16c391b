#pragma once

// The primary image of a HEIF file (HEIC or AVIF) read through libheif from a
// file image in memory. libheif applies the file's own turn and mirror
// ("irot"/"imir") and crop while decoding, and the size it reports is already
// the upright one. An EXIF orientation tag inside the file describes the same
// turn for other readers, so it is deliberately not applied a second time.
// The picture shown is the one the codec hands back; for a file coded in
// layers its size can differ from the one the file declares.

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

    // True when the file codes its pictures in layers; then the size it
    // declares may differ from the decoded one, and measure() finds that.
    [[nodiscard]] bool layered() const { return layered_; }

    // Decodes the primary image once to learn its real size, which width()
    // and height() report from then on.
    [[nodiscard]] std::int32_t measure();

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
    bool layered_ = false;
};

} // namespace heifspi
