#pragma once

// Reads a page's decoded samples band by band, in strips or tiles, and hands
// out each row as plain numbers with the samples of a pixel side by side, even
// where the file keeps each in a plane of its own. Samples of any width libtiff
// stores come out: unsigned and signed integers of 1 to 32 or 64 bits (bit
// packed where they do not fill bytes), floating point of 16, 24, 32 or 64 bits.
// For the kinds of page libtiff's RGBA reader refuses or reads wrong.

#include <cstdint>
#include <vector>

struct tiff;
typedef struct tiff TIFF;

namespace tiffspi {

enum class SampleKind { Unsigned, Signed, Float };

class TiffSampleBands {
public:
    // False for sample widths or formats listed above as not read, for more
    // samples per pixel than any colour model here uses, or an inconsistent
    // layout.
    [[nodiscard]] bool init(TIFF* tiff, std::uint32_t width, std::uint32_t height);

    // Rows per band: one strip or one row of tiles.
    [[nodiscard]] std::uint32_t bandRows() const { return bandRows_; }
    [[nodiscard]] std::uint16_t samplesPerPixel() const { return samplesPerPixel_; }
    [[nodiscard]] std::uint16_t bitsPerSample() const { return bitsPerSample_; }
    [[nodiscard]] SampleKind kind() const { return kind_; }

    // Decodes the band starting at row `top` (a multiple of bandRows()) and
    // returns how many rows it holds, 0 on a read or decode error.
    [[nodiscard]] std::uint32_t read(std::uint32_t top);

    // Pixels first … first + count - 1 of row `row` of the band last read:
    // samplesPerPixel values each, integers as their numeric value (signed
    // ones sign-extended), floats as stored.
    void unpackRow(std::uint32_t row, std::uint32_t first, std::uint32_t count, double* out) const;

private:
    [[nodiscard]] double sampleAt(const std::uint8_t* unitRow, std::size_t index) const;

    TIFF* tiff_ = nullptr;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::uint32_t bandRows_ = 0;
    // A unit is a strip (as wide as the page) or a tile.
    std::uint32_t unitWidth_ = 0;
    std::uint32_t unitsAcross_ = 0;
    std::size_t unitRowBytes_ = 0;
    std::size_t unitBytes_ = 0;
    std::uint16_t samplesPerPixel_ = 0;
    std::uint16_t bitsPerSample_ = 0;
    SampleKind kind_ = SampleKind::Unsigned;
    bool planar_ = false;
    bool tiled_ = false;
    // Every unit of the band: plane after plane, left to right within a plane.
    std::vector<std::uint8_t> band_;
};

} // namespace tiffspi
