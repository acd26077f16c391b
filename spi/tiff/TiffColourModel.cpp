#include "spi/tiff/TiffColourModel.h"

#include "spi/tiff/CieLab.h"

#include <algorithm>
#include <cmath>
#include <tiffio.h>

namespace tiffspi {
namespace {

std::uint8_t to8(double unit) {
    return static_cast<std::uint8_t>(std::clamp(unit * 255.0 + 0.5, 0.0, 255.0));
}

int colourSamples(std::uint16_t photometric) {
    switch (photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_PALETTE:
        return 1;
    case PHOTOMETRIC_RGB:
    case PHOTOMETRIC_CIELAB:
    case PHOTOMETRIC_ICCLAB:
        return 3;
    case PHOTOMETRIC_SEPARATED:
        return 4;
    default:
        return 0;
    }
}

} // namespace

bool TiffColourModel::init(TIFF* tiff, const TiffSampleBands& bands) {
    kind_ = bands.kind();
    bits_ = bands.bitsPerSample();
    samplesPerPixel_ = bands.samplesPerPixel();
    std::uint16_t photometric = 0;
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric))
        photometric = samplesPerPixel_ >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    const int colours = colourSamples(photometric);
    if (colours == 0 || samplesPerPixel_ < colours)
        return false;
    switch (photometric) {
    case PHOTOMETRIC_MINISBLACK:
        model_ = Model::MinIsBlack;
        break;
    case PHOTOMETRIC_MINISWHITE:
        model_ = Model::MinIsWhite;
        break;
    case PHOTOMETRIC_RGB:
        model_ = Model::Rgb;
        break;
    case PHOTOMETRIC_PALETTE:
        model_ = Model::Palette;
        break;
    case PHOTOMETRIC_SEPARATED: {
        std::uint16_t inkSet = INKSET_CMYK;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inkSet);
        if (inkSet != INKSET_CMYK)
            return false;
        model_ = Model::Cmyk;
        break;
    }
    case PHOTOMETRIC_CIELAB:
        model_ = Model::CieLab;
        break;
    default:
        model_ = Model::IccLab;
        break;
    }
    if (model_ == Model::Palette) {
        if (kind_ != SampleKind::Unsigned || bits_ > 16)
            return false;
        std::uint16_t* red = nullptr;
        std::uint16_t* green = nullptr;
        std::uint16_t* blue = nullptr;
        if (!TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue)
            return false;
        const std::size_t entries = std::size_t(1) << bits_;
        // Some old writers stored 8-bit maps; a map without any value above
        // 255 is one of those.
        const bool eightBit = std::all_of(red, red + entries, [](auto v) { return v < 256; }) &&
                              std::all_of(green, green + entries, [](auto v) { return v < 256; }) &&
                              std::all_of(blue, blue + entries, [](auto v) { return v < 256; });
        auto level = [eightBit](std::uint16_t v) {
            return eightBit ? std::uint8_t(v)
                            : std::uint8_t((std::uint32_t(v) * 255 + 32767) / 65535);
        };
        palette_.resize(entries * 3);
        for (std::size_t i = 0; i < entries; ++i) {
            palette_[3 * i] = level(red[i]);
            palette_[3 * i + 1] = level(green[i]);
            palette_[3 * i + 2] = level(blue[i]);
        }
    }

    // The first sample after the colours is alpha when the file says so; like
    // libtiff's own reader, an unspecified one is taken as premultiplied alpha,
    // and so is a fourth RGB sample without any description.
    std::uint16_t extraCount = 0;
    std::uint16_t* extraTypes = nullptr;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes);
    if (samplesPerPixel_ > colours) {
        if (extraCount >= 1 && extraTypes) {
            if (extraTypes[0] == EXTRASAMPLE_UNASSALPHA) {
                alphaIndex_ = colours;
            } else if (extraTypes[0] == EXTRASAMPLE_ASSOCALPHA ||
                       extraTypes[0] == EXTRASAMPLE_UNSPECIFIED) {
                alphaIndex_ = colours;
                premultiplied_ = true;
            }
        } else if (model_ == Model::Rgb && samplesPerPixel_ == 4) {
            alphaIndex_ = colours;
            premultiplied_ = true;
        }
    }

    if (kind_ == SampleKind::Float) {
        double low = 0;
        double high = 0;
        if (TIFFGetField(tiff, TIFFTAG_SMINSAMPLEVALUE, &low) &&
            TIFFGetField(tiff, TIFFTAG_SMAXSAMPLEVALUE, &high) && std::isfinite(low) &&
            std::isfinite(high) && high > low) {
            low_ = low;
            high_ = high;
        }
    } else {
        const double levels = std::ldexp(1.0, bits_) - 1.0;
        low_ = kind_ == SampleKind::Signed ? -std::ldexp(1.0, bits_ - 1) : 0.0;
        high_ = low_ + levels;
    }
    return true;
}

double TiffColourModel::unit(double value) const {
    const double scaled = (value - low_) / (high_ - low_);
    // NaN fails both comparisons and ends up as 0.
    return scaled > 0 ? std::min(scaled, 1.0) : 0.0;
}

double TiffColourModel::signedValue(double value) const {
    if (kind_ != SampleKind::Unsigned)
        return value;
    const double half = std::ldexp(1.0, bits_ - 1);
    return value >= half ? value - 2 * half : value;
}

void TiffColourModel::labPixel(const double* pixel, std::uint8_t* out) const {
    double l = 0;
    double a = 0;
    double b = 0;
    if (kind_ == SampleKind::Float) {
        l = pixel[0];
        a = pixel[1];
        b = pixel[2];
    } else {
        const double levels = std::ldexp(1.0, bits_) - 1.0;
        // a and b step by 1 at 8 bits, by 1/256 at 16.
        const double step = std::ldexp(1.0, 8 - bits_);
        l = std::max(pixel[0], 0.0) * 100.0 / levels;
        if (model_ == Model::CieLab) {
            a = signedValue(pixel[1]) * step;
            b = signedValue(pixel[2]) * step;
        } else {
            const double middle = std::ldexp(1.0, bits_ - 1);
            a = (pixel[1] - middle) * step;
            b = (pixel[2] - middle) * step;
        }
    }
    if (!std::isfinite(l) || !std::isfinite(a) || !std::isfinite(b))
        l = a = b = 0;
    const auto rgb = labToSrgb(std::clamp(l, 0.0, 100.0), std::clamp(a, -500.0, 500.0),
                               std::clamp(b, -500.0, 500.0));
    out[0] = rgb[0];
    out[1] = rgb[1];
    out[2] = rgb[2];
}

void TiffColourModel::toRgba8(const double* samples, std::uint32_t width, std::uint8_t* out) const {
    for (std::uint32_t x = 0; x < width; ++x, samples += samplesPerPixel_, out += 4) {
        const double alpha = alphaIndex_ >= 0 ? unit(samples[alphaIndex_]) : 1.0;
        // Premultiplied colours are divided back; the palette and L*a*b* are
        // looked up from the stored values as they are.
        auto colour = [&](int index) {
            const double value = unit(samples[index]);
            return premultiplied_ && alpha > 0 ? std::min(value / alpha, 1.0) : value;
        };
        switch (model_) {
        case Model::MinIsBlack:
        case Model::MinIsWhite: {
            const double grey = model_ == Model::MinIsBlack ? colour(0) : 1.0 - colour(0);
            out[0] = out[1] = out[2] = to8(grey);
            break;
        }
        case Model::Rgb:
            out[0] = to8(colour(0));
            out[1] = to8(colour(1));
            out[2] = to8(colour(2));
            break;
        case Model::Palette: {
            const std::size_t entry = std::min<std::size_t>(std::size_t(std::max(samples[0], 0.0)),
                                                            palette_.size() / 3 - 1);
            out[0] = palette_[3 * entry];
            out[1] = palette_[3 * entry + 1];
            out[2] = palette_[3 * entry + 2];
            break;
        }
        case Model::Cmyk: {
            const double paper = 1.0 - colour(3);
            out[0] = to8((1.0 - colour(0)) * paper);
            out[1] = to8((1.0 - colour(1)) * paper);
            out[2] = to8((1.0 - colour(2)) * paper);
            break;
        }
        case Model::CieLab:
        case Model::IccLab:
            labPixel(samples, out);
            break;
        }
        out[3] = to8(alpha);
    }
}

} // namespace tiffspi
