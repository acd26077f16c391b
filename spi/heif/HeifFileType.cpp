#include "spi/heif/HeifFileType.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace heifspi {
namespace {

using Brand = std::array<char, 4>;

// Image brands of the two codecs libheif decodes here; "mif1"/"msf1" are the
// generic structural brands that camera phones put first.
constexpr std::array<Brand, 12> ImageBrands = {{
    {'h', 'e', 'i', 'c'},
    {'h', 'e', 'i', 'x'},
    {'h', 'e', 'i', 'm'},
    {'h', 'e', 'i', 's'},
    {'h', 'e', 'v', 'c'},
    {'h', 'e', 'v', 'x'},
    {'h', 'e', 'v', 'm'},
    {'h', 'e', 'v', 's'},
    {'m', 'i', 'f', '1'},
    {'m', 's', 'f', '1'},
    {'a', 'v', 'i', 'f'},
    {'a', 'v', 'i', 's'},
}};

bool isImageBrand(const std::uint8_t* at) {
    return std::any_of(ImageBrands.begin(), ImageBrands.end(),
                       [at](const Brand& brand) { return std::memcmp(at, brand.data(), 4) == 0; });
}

std::uint32_t bigEndian32(const std::uint8_t* at) {
    return std::uint32_t(at[0]) << 24 | std::uint32_t(at[1]) << 16 | std::uint32_t(at[2]) << 8 |
           std::uint32_t(at[3]);
}

} // namespace

bool isHeifFileType(std::span<const std::uint8_t> head) {
    constexpr std::size_t BoxHeader = 8;
    constexpr std::size_t FirstCompatible = 16; // after major brand and minor version
    if (head.size() < FirstCompatible || std::memcmp(head.data() + 4, "ftyp", 4) != 0)
        return false;
    const std::uint32_t boxSize = bigEndian32(head.data());
    // A box size of 0 or 1 (to the end / 64-bit size) never occurs for "ftyp";
    // a size that is not whole brands is a damaged box.
    if (boxSize < FirstCompatible || (boxSize - BoxHeader) % 4 != 0)
        return false;
    const std::size_t end = std::min<std::size_t>(boxSize, head.size());
    if (isImageBrand(head.data() + BoxHeader))
        return true;
    for (std::size_t at = FirstCompatible; at + 4 <= end; at += 4)
        if (isImageBrand(head.data() + at))
            return true;
    return false;
}

} // namespace heifspi
