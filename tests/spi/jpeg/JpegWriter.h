#pragma once

// Writes the JPEG files the plug-in tests decode, with libjpeg's own encoder.

#include <cstdint>
#include <functional>
#include <vector>

namespace jpegtest {

struct JpegOptions {
    int components = 3; // 1 grey, 3 colour, 4 CMYK
    bool progressive = false;
    bool adobeMarker = true; // for CMYK: Adobe's marker, data stored inverted
    int exifOrientation = 0; // 0: no EXIF block
    int quality = 95;
};

// Samples of pixel (x, y): `components` values.
using SampleFunction = std::function<std::vector<std::uint8_t>(int x, int y)>;

std::vector<std::uint8_t> writeJpeg(int width, int height, const SampleFunction& samples,
                                    const JpegOptions& options = {});

} // namespace jpegtest
