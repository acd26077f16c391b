#include "spi/tiff/TiffSignature.h"

namespace tiffspi {

bool isTiffSignature(std::span<const std::uint8_t> head) {
    if (head.size() < 8)
        return false;
    const auto* p = head.data();
    if (p[0] == 'I' && p[1] == 'I')
        return (p[2] == 42 || p[2] == 43) && p[3] == 0;
    if (p[0] == 'M' && p[1] == 'M')
        return p[2] == 0 && (p[3] == 42 || p[3] == 43);
    return false;
}

} // namespace tiffspi
