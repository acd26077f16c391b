#pragma once

// Writes small JPEG XL files with libjxl's encoder, for the JPEG XL plug-in's
// tests, fuzz corpus and benchmark.

#include <cstdint>
#include <functional>
#include <vector>

namespace jxltest {

struct JxlOptions {
    bool alpha = false;
    bool grey = false;
    // 16-bit samples instead of 8.
    bool sixteenBit = false;
    // Wrapped in the box container instead of a bare codestream.
    bool container = false;
    // The codestream's orientation (1 to 8).
    int orientation = 1;
    bool lossless = true;
    // More than one makes an animation; frame n shows pixel(x, y) of frame n.
    int frames = 1;
};

// Red, green, blue, alpha (0..255) of pixel (x, y) of a frame; grey pictures
// take the red value.
using FramePixelSource = std::function<std::vector<std::uint8_t>(int frame, int x, int y)>;

// The file's bytes; empty when libjxl could not encode.
[[nodiscard]] std::vector<std::uint8_t>
writeJxl(int width, int height, const FramePixelSource& pixel, const JxlOptions& options = {});

} // namespace jxltest
