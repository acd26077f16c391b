#pragma once

// Writes small DNG files with libtiff, for the RAW plug-in's tests, fuzz
// corpus and benchmark: a 16-bit Bayer (RGGB) or monochrome sensor image whose cells sample
// a scene given as colours, optionally preceded by a preview image in the
// first directory (plain RGB or a JPEG written with libjpeg), as cameras and
// converters store it.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rawtest {

enum class Preview { None, Rgb, Jpeg };

// Red, green, blue (0..255) at (x, y).
using SceneSource = std::function<std::vector<std::uint8_t>(int x, int y)>;

struct DngOptions {
    int width = 64; // sensor size
    int height = 48;
    int orientation = 1; // TIFF orientation, for every image of the file
    Preview preview = Preview::None;
    int previewWidth = 32;
    int previewHeight = 24;
    int jpegQuality = 95;
    // Directories before the pixel data, as cameras write them; else after
    // it, where libtiff puts them by default.
    bool directoriesFirst = true;
    // A monochrome sensor (linear, one sample per pixel: the scene's red)
    // instead of the Bayer pattern.
    bool monochrome = false;
};

// Writes the file to `path`; false when libtiff or libjpeg failed.
bool writeDng(const std::string& path, const SceneSource& sensorScene,
              const SceneSource& previewScene, const DngOptions& options = {});

// The same, returned as bytes (written through a temporary file).
[[nodiscard]] std::vector<std::uint8_t> dngBytes(const SceneSource& sensorScene,
                                                 const SceneSource& previewScene,
                                                 const DngOptions& options = {});

} // namespace rawtest
