#include "spi/webp/WebpSignature.h"

#include <cstring>

namespace webpspi {

bool isWebpSignature(std::span<const std::uint8_t> head) {
    if (head.size() < SignatureBytes)
        return false;
    const auto* p = head.data();
    if (std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WEBP", 4) != 0)
        return false;
    // Simple lossy, simple lossless, or the extended layout (alpha, animation, metadata).
    return std::memcmp(p + 12, "VP8 ", 4) == 0 || std::memcmp(p + 12, "VP8L", 4) == 0 ||
           std::memcmp(p + 12, "VP8X", 4) == 0;
}

} // namespace webpspi
