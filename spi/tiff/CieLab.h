#pragma once

// CIE L*a*b* colours as TIFF stores them (relative to the D50 white) turned
// into sRGB, with the Bradford adaptation from D50 to sRGB's D65 white.

#include <array>
#include <cstdint>

namespace tiffspi {

// L in 0..100, a and b as they are (about -128..127). Red, green, blue in
// 0..255, clipped where the colour lies outside sRGB.
[[nodiscard]] std::array<std::uint8_t, 3> labToSrgb(double l, double a, double b);

} // namespace tiffspi
