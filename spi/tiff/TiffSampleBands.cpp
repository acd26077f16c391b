#include "spi/tiff/TiffSampleBands.h"

#include "spi/common/SizeMath.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <tiffio.h>

namespace tiffspi {
namespace {

// Colour samples and a few extra ones (alpha, spot inks) at most.
constexpr std::uint16_t MaxSamplesPerPixel = 16;

// The band buffer is as large as libtiff lets a single strip or tile be.
constexpr std::uint64_t MaxBandBytes = spi::MaxPixels * 4;

// Tiles may reach past the picture's edges, but a band of tiles far larger
// than the whole picture only comes from a hostile header; it is refused
// before anything that size is allocated.
constexpr std::uint64_t AlwaysAllowedBandBytes = 16u << 20;

double halfToDouble(std::uint16_t half) {
    const int exponent = (half >> 10) & 0x1f;
    const double mantissa = half & 0x3ff;
    const double sign = (half & 0x8000) ? -1.0 : 1.0;
    if (exponent == 0)
        return sign * std::ldexp(mantissa, -24);
    if (exponent == 31)
        return mantissa == 0 ? sign * HUGE_VAL : NAN;
    return sign * std::ldexp(1024.0 + mantissa, exponent - 25);
}

// The 24-bit floating point some scanners and renderers write: a sign bit, a
// 7-bit exponent biased by 63 and a 16-bit mantissa.
double float24ToDouble(std::uint32_t value) {
    const int exponent = (value >> 16) & 0x7f;
    const double mantissa = value & 0xffff;
    const double sign = (value & 0x800000) ? -1.0 : 1.0;
    if (exponent == 0)
        return sign * std::ldexp(mantissa, -16 + 1 - 63);
    if (exponent == 127)
        return mantissa == 0 ? sign * HUGE_VAL : NAN;
    return sign * std::ldexp(65536.0 + mantissa, exponent - 63 - 16);
}

// libtiff hands whole-byte samples over in the machine's byte order.
std::uint64_t nativeWord(const std::uint8_t* p, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        const int shift = std::endian::native == std::endian::little ? 8 * i : 8 * (bytes - 1 - i);
        value |= std::uint64_t(p[i]) << shift;
    }
    return value;
}

// Bit-packed samples run from the most significant bit of each byte on.
std::uint64_t packedBits(const std::uint8_t* row, std::size_t index, int bits) {
    const std::uint64_t firstBit = std::uint64_t(index) * std::uint64_t(bits);
    const std::uint64_t lastBit = firstBit + std::uint64_t(bits) - 1;
    std::uint64_t value = 0;
    for (std::uint64_t byte = firstBit / 8; byte <= lastBit / 8; ++byte)
        value = value << 8 | row[byte];
    const int trailing = int(7 - lastBit % 8);
    return (value >> trailing) & ((std::uint64_t(1) << bits) - 1);
}

bool readable(SampleKind kind, int bits) {
    if (kind == SampleKind::Float)
        return bits == 16 || bits == 24 || bits == 32 || bits == 64;
    return (bits >= 1 && bits <= 32) || bits == 64;
}

} // namespace

bool TiffSampleBands::init(TIFF* tiff, std::uint32_t width, std::uint32_t height) {
    tiff_ = tiff;
    width_ = width;
    height_ = height;
    std::uint16_t planarConfig = PLANARCONFIG_CONTIG;
    std::uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel_);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample_);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planarConfig);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    if (sampleFormat == SAMPLEFORMAT_INT)
        kind_ = SampleKind::Signed;
    else if (sampleFormat == SAMPLEFORMAT_IEEEFP)
        kind_ = SampleKind::Float;
    else if (sampleFormat == SAMPLEFORMAT_UINT || sampleFormat == SAMPLEFORMAT_VOID)
        kind_ = SampleKind::Unsigned;
    else
        return false;
    if (!readable(kind_, bitsPerSample_) || samplesPerPixel_ == 0 ||
        samplesPerPixel_ > MaxSamplesPerPixel || width == 0 || height == 0)
        return false;
    planar_ = planarConfig == PLANARCONFIG_SEPARATE && samplesPerPixel_ > 1;
    tiled_ = TIFFIsTiled(tiff) != 0;

    std::uint32_t unitLength = 0;
    if (tiled_) {
        if (!TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &unitWidth_) ||
            !TIFFGetField(tiff, TIFFTAG_TILELENGTH, &unitLength) || unitWidth_ == 0 ||
            unitLength == 0)
            return false;
    } else {
        unitWidth_ = width;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &unitLength);
    }
    // A tile keeps its full length even below the page's last row.
    bandRows_ = tiled_ ? unitLength : std::clamp<std::uint32_t>(unitLength, 1, height);
    unitsAcross_ = (width - 1) / unitWidth_ + 1;

    const std::uint64_t samplesPerUnitRow =
        std::uint64_t(unitWidth_) * (planar_ ? 1u : samplesPerPixel_);
    const auto rowBits = spi::checkedMul(samplesPerUnitRow, bitsPerSample_);
    if (!rowBits)
        return false;
    const std::uint64_t unitRowBytes = (*rowBits + 7) / 8;
    const auto unitBytes = spi::checkedMul(unitRowBytes, bandRows_);
    const auto bandBytes = unitBytes
                               ? spi::checkedMul(*unitBytes, std::uint64_t(unitsAcross_) *
                                                                 (planar_ ? samplesPerPixel_ : 1u))
                               : std::nullopt;
    const auto pictureBits = spi::checkedMul(std::uint64_t(width) * height,
                                             std::uint64_t(samplesPerPixel_) * bitsPerSample_);
    if (!bandBytes || !pictureBits || *bandBytes > MaxBandBytes ||
        (*bandBytes > AlwaysAllowedBandBytes && *bandBytes / 2 > *pictureBits / 8))
        return false;
    // What libtiff decodes into one unit must be exactly this layout.
    const std::uint64_t libraryRowBytes =
        tiled_ ? std::uint64_t(TIFFTileRowSize64(tiff)) : std::uint64_t(TIFFScanlineSize64(tiff));
    if (libraryRowBytes != unitRowBytes)
        return false;
    unitRowBytes_ = static_cast<std::size_t>(unitRowBytes);
    unitBytes_ = static_cast<std::size_t>(*unitBytes);
    band_.assign(static_cast<std::size_t>(*bandBytes), 0);
    return true;
}

std::uint32_t TiffSampleBands::read(std::uint32_t top) {
    if (top >= height_ || top % bandRows_ != 0)
        return 0;
    const std::uint32_t count = std::min(bandRows_, height_ - top);
    const int planes = planar_ ? samplesPerPixel_ : 1;
    std::uint8_t* unit = band_.data();
    for (int plane = 0; plane < planes; ++plane) {
        for (std::uint32_t across = 0; across < unitsAcross_; ++across, unit += unitBytes_) {
            if (tiled_) {
                const tmsize_t got =
                    TIFFReadTile(tiff_, unit, across * unitWidth_, top, 0, std::uint16_t(plane));
                if (got < 0 || std::uint64_t(got) < std::uint64_t(count) * unitRowBytes_)
                    return 0;
            } else {
                const std::uint32_t strip = TIFFComputeStrip(tiff_, top, std::uint16_t(plane));
                const tmsize_t wanted = tmsize_t(std::size_t(count) * unitRowBytes_);
                if (TIFFReadEncodedStrip(tiff_, strip, unit, wanted) != wanted)
                    return 0;
            }
        }
    }
    return count;
}

double TiffSampleBands::sampleAt(const std::uint8_t* unitRow, std::size_t index) const {
    const int bits = bitsPerSample_;
    std::uint64_t raw = 0;
    if (bits % 8 == 0)
        raw = nativeWord(unitRow + index * std::size_t(bits / 8), bits / 8);
    else
        raw = packedBits(unitRow, index, bits);
    switch (kind_) {
    case SampleKind::Unsigned:
        return double(raw);
    case SampleKind::Signed: {
        if (bits == 64)
            return double(std::int64_t(raw));
        const std::uint64_t sign = std::uint64_t(1) << (bits - 1);
        return double(std::int64_t(raw ^ sign) - std::int64_t(sign));
    }
    case SampleKind::Float:
        if (bits == 16)
            return halfToDouble(std::uint16_t(raw));
        if (bits == 24)
            return float24ToDouble(std::uint32_t(raw));
        if (bits == 32)
            return double(std::bit_cast<float>(std::uint32_t(raw)));
        return std::bit_cast<double>(raw);
    }
    return 0;
}

void TiffSampleBands::unpackRow(std::uint32_t row, std::uint32_t first, std::uint32_t count,
                                double* out) const {
    const int planes = planar_ ? samplesPerPixel_ : 1;
    const std::size_t perPixel = planar_ ? 1u : samplesPerPixel_;
    const std::uint32_t end = first + std::min(count, width_ - first);
    const std::uint8_t* unit = band_.data();
    for (int plane = 0; plane < planes; ++plane) {
        for (std::uint32_t across = 0; across < unitsAcross_; ++across, unit += unitBytes_) {
            const std::uint32_t left = across * unitWidth_;
            const std::uint32_t from = std::max(left, first);
            const std::uint32_t to = std::min(left + std::min(unitWidth_, width_ - left), end);
            if (from >= to)
                continue;
            const std::uint8_t* unitRow = unit + std::size_t(row) * unitRowBytes_;
            double* target =
                out + std::size_t(from - first) * samplesPerPixel_ + std::size_t(plane);
            for (std::uint32_t x = from - left; x < to - left; ++x, target += samplesPerPixel_)
                for (std::size_t s = 0; s < perPixel; ++s)
                    target[s] = sampleAt(unitRow, std::size_t(x) * perPixel + s);
        }
    }
}

} // namespace tiffspi
