#pragma once

// What the samples of a page mean and how a row of them becomes 8-bit RGBA:
// grey (black or white at zero), RGB, palette (8- or 16-bit colour maps, up to
// 16-bit indices), ink CMYK, and CIE L*a*b* in its CIE and ICC encodings, each
// with an optional alpha sample (straight or premultiplied). Integer samples
// span their type's whole range (signed ones from the most negative value on);
// floating-point ones span 0 to 1, or the range the page declares with
// SMinSampleValue/SMaxSampleValue.

#include "spi/tiff/TiffSampleBands.h"

#include <cstdint>
#include <vector>

struct tiff;
typedef struct tiff TIFF;

namespace tiffspi {

class TiffColourModel {
public:
    // False for a colour model or combination of samples not read here.
    [[nodiscard]] bool init(TIFF* tiff, const TiffSampleBands& bands);

    [[nodiscard]] bool hasAlpha() const { return alphaIndex_ >= 0; }

    // `samples` holds one row as TiffSampleBands::unpackRow gives it; `out`
    // receives width red-green-blue-alpha pixels with straight alpha.
    void toRgba8(const double* samples, std::uint32_t width, std::uint8_t* out) const;

private:
    enum class Model { MinIsBlack, MinIsWhite, Rgb, Palette, Cmyk, CieLab, IccLab };

    // The sample scaled to 0..1 (clipped).
    [[nodiscard]] double unit(double value) const;
    // An integer sample as its 8-bit two's complement value (a and b of CIE L*a*b*).
    [[nodiscard]] double signedValue(double value) const;
    void labPixel(const double* pixel, std::uint8_t* out) const;

    Model model_ = Model::MinIsBlack;
    SampleKind kind_ = SampleKind::Unsigned;
    int bits_ = 8;
    int samplesPerPixel_ = 1;
    int alphaIndex_ = -1;
    bool premultiplied_ = false;
    double low_ = 0;
    double high_ = 1;
    std::vector<std::uint8_t> palette_; // red, green, blue per entry
};

} // namespace tiffspi
