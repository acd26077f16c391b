#pragma once

// Recognises a WebP file by its RIFF header: "RIFF", a size, "WEBP" and the
// first chunk, which must be one a WebP decoder starts with.

#include <cstdint>
#include <span>

namespace webpspi {

// Bytes the signature check looks at.
inline constexpr std::size_t SignatureBytes = 16;

[[nodiscard]] bool isWebpSignature(std::span<const std::uint8_t> head);

} // namespace webpspi
