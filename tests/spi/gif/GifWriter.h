#pragma once

// Writes the GIF files the plug-in tests decode, with giflib's own encoder.

#include <cstdint>
#include <functional>
#include <vector>

namespace giftest {

struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 1;
    int height = 1;
    bool interlaced = false;
    int transparentIndex = -1;
    std::vector<std::uint8_t> localPalette = {}; // RGB triples; empty: the global one
    std::function<std::uint8_t(int x, int y)> index = [](int, int) { return std::uint8_t(0); };
};

struct GifScreen {
    int width = 1;
    int height = 1;
    int background = 0;
    std::vector<std::uint8_t> palette = {}; // RGB triples; a power of two of them
};

std::vector<std::uint8_t> writeGif(const GifScreen& screen, const std::vector<GifFrame>& frames);

} // namespace giftest
