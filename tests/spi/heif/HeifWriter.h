#pragma once

// Writes small HEIC and AVIF files with libheif's own encoders (x265, aom),
// for the HEIF plug-in's tests, fuzz corpus and benchmark.

#include <cstdint>
#include <functional>
#include <vector>

namespace heiftest {

enum class Codec { Hevc, Av1 };

struct HeifOptions {
    Codec codec = Codec::Hevc;
    bool alpha = false;
    // One grey channel (the red value) instead of colour.
    bool grey = false;
    // Samples of 10 bits instead of 8 (HEVC Main 10 / AV1 high bit depth).
    bool tenBit = false;
    // The turn and mirror stored as the file's own transformation boxes.
    int orientation = 1;
    // An EXIF block carrying this orientation tag; 0 writes none.
    int exifOrientation = 0;
    bool lossless = true;
    int quality = 90;
};

// Red, green, blue, alpha (0..255) of the stored pixel (x, y).
using PixelSource = std::function<std::vector<std::uint8_t>(int x, int y)>;

// The file's bytes; empty when libheif could not encode.
[[nodiscard]] std::vector<std::uint8_t> writeHeif(int width, int height, const PixelSource& pixel,
                                                  const HeifOptions& options = {});

} // namespace heiftest
