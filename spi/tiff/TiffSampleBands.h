#pragma once

// Reads a page's decoded samples band by band, in strips or tiles, with the
// samples of a pixel side by side even where the file keeps each in a plane
// of its own. For kinds of page libtiff's RGBA reader refuses (16-bit CMYK).

#include <cstdint>
#include <vector>

struct tiff;
typedef struct tiff TIFF;

namespace tiffspi {

class TiffSampleBands {
public:
    // Only whole-byte samples (8 or 16 bits) and a few samples per pixel are
    // read. False for anything else or an inconsistent layout.
    [[nodiscard]] bool init(TIFF* tiff, std::uint32_t width, std::uint32_t height);

    // Rows per band: one strip or one row of tiles.
    [[nodiscard]] std::uint32_t bandRows() const { return bandRows_; }
    [[nodiscard]] std::uint16_t samplesPerPixel() const { return samplesPerPixel_; }
    [[nodiscard]] std::uint16_t bitsPerSample() const { return bitsPerSample_; }
    // Bytes of one row of interleaved samples.
    [[nodiscard]] std::size_t rowBytes() const { return rowBytes_; }

    // Reads the band starting at row `top` (a multiple of bandRows()) into
    // `rows`, one row after another. False on a read or decode error.
    [[nodiscard]] bool read(std::uint32_t top, std::vector<std::uint8_t>& rows);

private:
    [[nodiscard]] bool readStrips(std::uint32_t top, std::uint32_t count,
                                  std::vector<std::uint8_t>& rows);
    [[nodiscard]] bool readTiles(std::uint32_t top, std::uint32_t count,
                                 std::vector<std::uint8_t>& rows);
    // Copies `pixels` pixels of one source row into place; a plane holds one
    // sample per pixel, a contiguous source all of them.
    void scatter(const std::uint8_t* source, std::uint8_t* row, std::uint32_t firstPixel,
                 std::uint32_t pixels, int plane) const;

    TIFF* tiff_ = nullptr;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::uint32_t bandRows_ = 0;
    std::uint32_t tileWidth_ = 0;
    std::uint16_t samplesPerPixel_ = 0;
    std::uint16_t bitsPerSample_ = 0;
    bool planar_ = false;
    std::size_t sampleBytes_ = 0;
    std::size_t rowBytes_ = 0;
    std::vector<std::uint8_t> chunk_;
};

} // namespace tiffspi
