#pragma once

// A JPEG XL picture (bare codestream or container) read through libjxl from a
// file image in memory: the first frame, composed, turned upright by libjxl
// according to the codestream's orientation, 8 bits per channel, with alpha
// when the picture has an alpha channel. An EXIF orientation in the container
// is ignored: the codestream's orientation is the one that counts.

#include "sdk/sorteka_spi.h"

#include <cstdint>
#include <span>

namespace spi {
class DibBuilder;
}

namespace jxlspi {

// True for the bare codestream signature or the container's signature box.
[[nodiscard]] bool isJxlSignature(std::span<const std::uint8_t> head);

struct JxlHeader {
    std::uint32_t width = 0; // upright
    std::uint32_t height = 0;
    bool hasAlpha = false;
};

// Reads only as far as the basic information. Returns SPI_SUCCESS or an error code.
[[nodiscard]] std::int32_t readJxlHeader(std::span<const std::uint8_t> bytes, JxlHeader& header);

// Decodes the first frame into `dib` (started here). The input is handed to
// libjxl a slice at a time, so the host's progress callback can stop the
// decode part-way. Returns SPI_SUCCESS or an error code.
[[nodiscard]] std::int32_t decodeJxl(std::span<const std::uint8_t> bytes, spi::DibBuilder& dib,
                                     SpiProgressCallback progress, intptr_t user);

} // namespace jxlspi
