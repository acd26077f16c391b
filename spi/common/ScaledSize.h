#pragma once

// Sizes for GetPictureScaled: the host will show the picture within a box of
// maxWidth × maxHeight, and a plug-in may hand over anything from the picture
// scaled to fit that box (aspect kept) up to the full picture.

#include <cstdint>

namespace spi {

// The box a host asks for; a side of 0 or less leaves that side unbounded.
struct FitBox {
    std::int64_t maxWidth = 0;
    std::int64_t maxHeight = 0;
};

// True when a picture of outWidth × outHeight is on both sides at least as
// large as width × height scaled to fit `box` (never enlarged).
[[nodiscard]] constexpr bool coversFit(std::uint64_t outWidth, std::uint64_t outHeight,
                                       std::uint64_t width, std::uint64_t height, FitBox box) {
    const std::uint64_t boxWidth = box.maxWidth > 0 ? std::uint64_t(box.maxWidth) : width;
    const std::uint64_t boxHeight = box.maxHeight > 0 ? std::uint64_t(box.maxHeight) : height;
    if (boxWidth >= width && boxHeight >= height)
        return outWidth >= width && outHeight >= height;
    // The side whose box is tighter sets the scale: boxWidth / width against
    // boxHeight / height, compared without division (both below 2^31).
    if (boxWidth * height <= boxHeight * width)
        return outWidth >= boxWidth && outHeight * width >= height * boxWidth;
    return outHeight >= boxHeight && outWidth * height >= width * boxHeight;
}

// The smallest scale n/8 (n from 1 to 8) at which a decoder that rounds each
// side up (as libjpeg's DCT scaling does) still covers the fit; 8 when none
// smaller does.
[[nodiscard]] constexpr int eighthsToCover(std::uint64_t width, std::uint64_t height, FitBox box) {
    for (int eighths = 1; eighths < 8; ++eighths)
        if (coversFit((width * std::uint64_t(eighths) + 7) / 8,
                      (height * std::uint64_t(eighths) + 7) / 8, width, height, box))
            return eighths;
    return 8;
}

} // namespace spi
