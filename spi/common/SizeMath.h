#pragma once

// Overflow-checked size arithmetic and the pixel-count limit every shipped
// plug-in applies before it allocates anything for a picture.

#include <cstdint>
#include <optional>

namespace spi {

// Pictures above this many pixels are refused rather than allocated: a hostile
// header must not make a plug-in ask for gigabytes.
inline constexpr std::uint64_t MaxPixels = 256ull * 1024 * 1024;

// The widest and tallest picture the bitmap header can describe.
inline constexpr std::uint64_t MaxSide = 0x7fffffffull;

[[nodiscard]] constexpr std::optional<std::uint64_t> checkedMul(std::uint64_t a, std::uint64_t b) {
    std::uint64_t product = 0;
    if (__builtin_mul_overflow(a, b, &product))
        return std::nullopt;
    return product;
}

[[nodiscard]] constexpr std::optional<std::uint64_t> checkedAdd(std::uint64_t a, std::uint64_t b) {
    std::uint64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return std::nullopt;
    return sum;
}

// Bytes of one bitmap row of `width` pixels at `bitsPerPixel`, padded to 4 bytes.
[[nodiscard]] constexpr std::optional<std::uint64_t> dibStride(std::uint64_t width,
                                                               std::uint64_t bitsPerPixel) {
    const auto bits = checkedMul(width, bitsPerPixel);
    if (!bits)
        return std::nullopt;
    const auto padded = checkedAdd(*bits, 31);
    if (!padded)
        return std::nullopt;
    return *padded / 32 * 4;
}

// True for a picture the plug-ins are willing to decode: not empty, each side
// within the bitmap header's range and the pixel count within MaxPixels.
[[nodiscard]] constexpr bool acceptableSize(std::uint64_t width, std::uint64_t height) {
    if (width == 0 || height == 0 || width > MaxSide || height > MaxSide)
        return false;
    const auto pixels = checkedMul(width, height);
    return pixels && *pixels <= MaxPixels;
}

} // namespace spi
