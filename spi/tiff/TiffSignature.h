#pragma once

// Recognises a TIFF file by its byte-order mark and magic number: classic
// TIFF (42) or BigTIFF (43), little- or big-endian.

#include <cstdint>
#include <span>

namespace tiffspi {

[[nodiscard]] bool isTiffSignature(std::span<const std::uint8_t> head);

} // namespace tiffspi
