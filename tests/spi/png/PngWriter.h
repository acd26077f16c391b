#pragma once

// Writes the PNG files the plug-in tests decode, with libpng's own encoder.

#include <cstdint>
#include <functional>
#include <vector>

namespace pngtest {

struct PngOptions {
    int colourType = 2; // PNG_COLOR_TYPE_*: 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::uint8_t> palette = {};      // RGB triples, for colour type 3
    std::vector<std::uint8_t> paletteAlpha = {}; // tRNS for a palette
    std::vector<std::uint16_t> transparent = {}; // tRNS colour for grey (1 value) or RGB (3 values)
};

// Sample values of pixel (x, y), one per channel (palette: the index).
using SampleFunction = std::function<std::vector<std::uint16_t>(int x, int y)>;

std::vector<std::uint8_t> writePng(int width, int height, const SampleFunction& samples,
                                   const PngOptions& options = {});

} // namespace pngtest
