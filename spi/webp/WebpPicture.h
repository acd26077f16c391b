#pragma once

// A WebP file image in memory: lossy, lossless, with or without alpha, or an
// animation, of which the first frame is shown as the whole canvas looks once
// that frame is drawn (clear, or black without alpha, where the frame does not
// reach). Pictures with alpha come out 32-bit, others 24-bit.

#include "sdk/sorteka_spi.h"

#include <cstdint>
#include <span>

namespace spi {
class DibBuilder;
}

namespace webpspi {

class WebpPicture {
public:
    // Reads the headers only. `bytes` must outlive this object. Returns
    // SPI_SUCCESS, SPI_UNKNOWN_FORMAT for data that is no WebP file, or
    // SPI_BROKEN_DATA for a damaged or cut-off header.
    [[nodiscard]] std::int32_t open(std::span<const std::uint8_t> bytes);

    [[nodiscard]] std::uint32_t width() const { return width_; }
    [[nodiscard]] std::uint32_t height() const { return height_; }
    [[nodiscard]] bool hasAlpha() const { return hasAlpha_; }
    [[nodiscard]] bool isAnimation() const { return animation_; }

    // Decodes into `dib` (started here), reporting progress and stopping with
    // SPI_ABORTED when the host asks to.
    [[nodiscard]] std::int32_t decode(spi::DibBuilder& dib, SpiProgressCallback progress,
                                      intptr_t user) const;

private:
    struct Frame {
        std::span<const std::uint8_t> bitstream;
        std::uint32_t left;
        std::uint32_t top;
        std::uint32_t width;
        std::uint32_t height;
    };

    // The bitstream and place of what is shown: the whole file for a still
    // picture, the first frame of an animation.
    [[nodiscard]] std::int32_t shownFrame(Frame& frame) const;

    std::span<const std::uint8_t> bytes_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    bool hasAlpha_ = false;
    bool animation_ = false;
};

} // namespace webpspi
