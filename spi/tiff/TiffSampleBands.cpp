#include "spi/tiff/TiffSampleBands.h"

#include "spi/common/SizeMath.h"

#include <algorithm>
#include <cstring>
#include <tiffio.h>

namespace tiffspi {
namespace {

// CMYK with a few extra samples (alpha, spot inks) at most.
constexpr std::uint16_t MaxSamplesPerPixel = 8;

} // namespace

bool TiffSampleBands::init(TIFF* tiff, std::uint32_t width, std::uint32_t height) {
    tiff_ = tiff;
    width_ = width;
    height_ = height;
    std::uint16_t planarConfig = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel_);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample_);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planarConfig);
    if ((bitsPerSample_ != 8 && bitsPerSample_ != 16) || samplesPerPixel_ == 0 ||
        samplesPerPixel_ > MaxSamplesPerPixel || width == 0 || height == 0)
        return false;
    planar_ = planarConfig == PLANARCONFIG_SEPARATE && samplesPerPixel_ > 1;
    sampleBytes_ = bitsPerSample_ / 8u;
    const auto rowBytes = spi::checkedMul(std::uint64_t(width) * samplesPerPixel_, sampleBytes_);
    if (!rowBytes)
        return false;
    rowBytes_ = static_cast<std::size_t>(*rowBytes);

    std::uint32_t unit = 0;
    if (TIFFIsTiled(tiff)) {
        std::uint32_t tileLength = 0;
        if (!TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth_) ||
            !TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileLength) || tileWidth_ == 0 ||
            tileLength == 0)
            return false;
        unit = tileLength;
    } else {
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &unit);
    }
    bandRows_ = std::clamp<std::uint32_t>(unit, 1, height);
    return true;
}

bool TiffSampleBands::read(std::uint32_t top, std::vector<std::uint8_t>& rows) {
    if (top >= height_ || top % bandRows_ != 0)
        return false;
    const std::uint32_t count = std::min(bandRows_, height_ - top);
    rows.assign(rowBytes_ * count, 0);
    return TIFFIsTiled(tiff_) ? readTiles(top, count, rows) : readStrips(top, count, rows);
}

void TiffSampleBands::scatter(const std::uint8_t* source, std::uint8_t* row,
                              std::uint32_t firstPixel, std::uint32_t pixels, int plane) const {
    const std::size_t pixelBytes = sampleBytes_ * samplesPerPixel_;
    std::uint8_t* target = row + std::size_t(firstPixel) * pixelBytes;
    if (plane < 0) {
        std::memcpy(target, source, std::size_t(pixels) * pixelBytes);
        return;
    }
    target += std::size_t(plane) * sampleBytes_;
    for (std::uint32_t i = 0; i < pixels; ++i, source += sampleBytes_, target += pixelBytes)
        std::memcpy(target, source, sampleBytes_);
}

bool TiffSampleBands::readStrips(std::uint32_t top, std::uint32_t count,
                                 std::vector<std::uint8_t>& rows) {
    const int planes = planar_ ? samplesPerPixel_ : 1;
    const std::size_t sourceRowBytes = planar_ ? std::size_t(width_) * sampleBytes_ : rowBytes_;
    const std::size_t wanted = sourceRowBytes * count;
    chunk_.resize(wanted);
    for (int plane = 0; plane < planes; ++plane) {
        const std::uint32_t strip = TIFFComputeStrip(tiff_, top, std::uint16_t(plane));
        if (TIFFReadEncodedStrip(tiff_, strip, chunk_.data(), tmsize_t(wanted)) != tmsize_t(wanted))
            return false;
        for (std::uint32_t r = 0; r < count; ++r)
            scatter(chunk_.data() + r * sourceRowBytes, rows.data() + r * rowBytes_, 0, width_,
                    planar_ ? plane : -1);
    }
    return true;
}

bool TiffSampleBands::readTiles(std::uint32_t top, std::uint32_t count,
                                std::vector<std::uint8_t>& rows) {
    const tmsize_t tileBytes = TIFFTileSize(tiff_);
    const std::size_t tileRowBytes =
        std::size_t(tileWidth_) * sampleBytes_ * (planar_ ? 1u : samplesPerPixel_);
    const auto needed = spi::checkedMul(tileRowBytes, bandRows_);
    if (tileBytes <= 0 || !needed || std::uint64_t(tileBytes) < *needed)
        return false;
    chunk_.resize(static_cast<std::size_t>(tileBytes));
    const int planes = planar_ ? samplesPerPixel_ : 1;
    for (std::uint32_t left = 0; left < width_; left += tileWidth_) {
        const std::uint32_t pixels = std::min(tileWidth_, width_ - left);
        for (int plane = 0; plane < planes; ++plane) {
            if (TIFFReadTile(tiff_, chunk_.data(), left, top, 0, std::uint16_t(plane)) < 0)
                return false;
            for (std::uint32_t r = 0; r < count; ++r)
                scatter(chunk_.data() + r * tileRowBytes, rows.data() + r * rowBytes_, left, pixels,
                        planar_ ? plane : -1);
        }
    }
    return true;
}

} // namespace tiffspi
