#pragma once

// The eight EXIF orientations and where a stored pixel lands in the upright
// picture, so decoders can write each decoded row straight to its place.

#include <cstdint>

namespace spi {

// EXIF orientation values: 1 upright, 2 mirrored left-right, 3 turned 180°,
// 4 mirrored top-bottom, 5 transposed, 6 to be turned 90° clockwise,
// 7 transversed, 8 to be turned 90° counter-clockwise. Anything else is read as 1.
using Orientation = int;

[[nodiscard]] constexpr Orientation normalOrientation(int value) {
    return value >= 1 && value <= 8 ? value : 1;
}

// Orientations 5 to 8 exchange width and height.
[[nodiscard]] constexpr bool swapsAxes(Orientation orientation) {
    return normalOrientation(orientation) >= 5;
}

struct Point {
    std::int64_t x;
    std::int64_t y;
};

// Where the stored pixel (x, y) of a width × height picture appears once the
// picture is shown upright (top-left origin).
[[nodiscard]] constexpr Point orientedPosition(Orientation orientation, std::int64_t width,
                                               std::int64_t height, std::int64_t x,
                                               std::int64_t y) {
    switch (normalOrientation(orientation)) {
    case 2:
        return {width - 1 - x, y};
    case 3:
        return {width - 1 - x, height - 1 - y};
    case 4:
        return {x, height - 1 - y};
    case 5:
        return {y, x};
    case 6:
        return {height - 1 - y, x};
    case 7:
        return {height - 1 - y, width - 1 - x};
    case 8:
        return {y, width - 1 - x};
    default:
        return {x, y};
    }
}

} // namespace spi
