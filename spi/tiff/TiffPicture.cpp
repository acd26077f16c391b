#include "spi/tiff/TiffPicture.h"

#include "spi/common/DibBuilder.h"
#include "spi/common/Progress.h"
#include "spi/tiff/TiffColourModel.h"
#include "spi/tiff/TiffSampleBands.h"
#include "spi/tiff/TiffSignature.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <tiffio.h>
#include <vector>

namespace tiffspi {
namespace {

constexpr double CentimetresPerInch = 2.54;
constexpr double InchesPerMetre = 100.0 / CentimetresPerInch;

// Rows decoded per call of the RGBA reader, at least: enough to keep the calls
// few, while progress is still heard on big pictures.
constexpr std::uint32_t MinBandRows = 64;
// Pixels whose samples are unpacked at once: at most 16 samples of 8 bytes each.
constexpr std::uint32_t SamplesStretchPixels = 64 * 1024;

double dotsPerInch(float resolution, std::uint16_t unit) {
    if (!std::isfinite(resolution) || resolution <= 0)
        return 0;
    if (unit == RESUNIT_INCH)
        return resolution;
    if (unit == RESUNIT_CENTIMETER)
        return resolution * CentimetresPerInch;
    return 0;
}

std::int32_t pelsPerMetre(double dpi) {
    return static_cast<std::int32_t>(std::lround(std::clamp(dpi * InchesPerMetre, 0.0, 1e9)));
}

// Rows per call: whole strips or tile rows, so none is decoded twice.
std::uint32_t bandRows(TIFF* tiff, std::uint32_t height) {
    std::uint32_t unit = 0;
    if (TIFFIsTiled(tiff))
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &unit);
    else
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &unit);
    unit = std::clamp<std::uint32_t>(unit, 1, height);
    const std::uint64_t rows = std::uint64_t(unit) * ((MinBandRows + unit - 1) / unit);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(rows, height));
}

// The RGBA reader gives colours multiplied by alpha; the bitmap wants them
// straight. Also puts the bytes in red, green, blue, alpha order.
void toStraightRgba(const std::uint32_t* packed, std::uint32_t count, bool alpha,
                    std::uint8_t* out) {
    for (std::uint32_t i = 0; i < count; ++i, out += 4) {
        const std::uint32_t p = packed[i];
        std::uint32_t r = TIFFGetR(p);
        std::uint32_t g = TIFFGetG(p);
        std::uint32_t b = TIFFGetB(p);
        const std::uint32_t a = alpha ? TIFFGetA(p) : 255;
        if (a != 255 && a != 0) {
            r = std::min<std::uint32_t>(255, (r * 255 + a / 2) / a);
            g = std::min<std::uint32_t>(255, (g * 255 + a / 2) / a);
            b = std::min<std::uint32_t>(255, (b * 255 + a / 2) / a);
        }
        out[0] = static_cast<std::uint8_t>(r);
        out[1] = static_cast<std::uint8_t>(g);
        out[2] = static_cast<std::uint8_t>(b);
        out[3] = static_cast<std::uint8_t>(a);
    }
}

class RgbaReader {
public:
    ~RgbaReader() {
        if (begun_)
            TIFFRGBAImageEnd(&image_);
    }
    [[nodiscard]] bool begin(TIFF* tiff) {
        char message[1024] = {};
        if (!TIFFRGBAImageOK(tiff, message))
            return false;
        begun_ = TIFFRGBAImageBegin(&image_, tiff, 1, message) != 0;
        return begun_;
    }
    [[nodiscard]] TIFFRGBAImage& image() { return image_; }

private:
    TIFFRGBAImage image_{};
    bool begun_ = false;
};

// Pages the RGBA reader would take but read wrong: signed or floating-point
// samples of plain colour models (it takes every sample as unsigned) and CIE
// L*a*b* (its white is not sRGB's). LogLuv's floating-point samples are the
// RGBA reader's to convert.
bool needsOwnReading(TIFF* tiff) {
    std::uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    std::uint16_t photometric = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    if (photometric == PHOTOMETRIC_CIELAB || photometric == PHOTOMETRIC_ICCLAB)
        return true;
    const bool plainModel = photometric == PHOTOMETRIC_MINISBLACK ||
                            photometric == PHOTOMETRIC_MINISWHITE ||
                            photometric == PHOTOMETRIC_RGB || photometric == PHOTOMETRIC_PALETTE ||
                            photometric == PHOTOMETRIC_SEPARATED;
    return plainModel && sampleFormat != SAMPLEFORMAT_UINT && sampleFormat != SAMPLEFORMAT_VOID;
}

} // namespace

std::int32_t TiffPicture::open(std::span<const std::uint8_t> bytes) {
    if (!isTiffSignature(bytes))
        return SPI_UNKNOWN_FORMAT;
    if (!file_.open(bytes))
        return SPI_BROKEN_DATA;
    TIFF* tiff = file_.handle();
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0)
        return SPI_BROKEN_DATA;
    width_ = width;
    height_ = height;

    std::uint16_t bitsPerSample = 1;
    std::uint16_t samplesPerPixel = 1;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    depth_ = static_cast<std::int16_t>(
        std::min<std::uint32_t>(std::uint32_t(bitsPerSample) * samplesPerPixel, INT16_MAX));

    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    orientation_ = spi::normalOrientation(orientation);

    float xResolution = 0;
    float yResolution = 0;
    std::uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &xResolution))
        xDpi_ = dotsPerInch(xResolution, unit);
    if (TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &yResolution))
        yDpi_ = dotsPerInch(yResolution, unit);
    return SPI_SUCCESS;
}

std::int32_t TiffPicture::decode(spi::DibBuilder& dib, SpiProgressCallback progress,
                                 intptr_t user) {
    TIFF* tiff = file_.handle();
    if (tiff == nullptr)
        return SPI_INTERNAL_ERROR;
    if (const std::int32_t code = spi::checkPictureSize(width_, height_); code != SPI_SUCCESS)
        return code;
    RgbaReader reader;
    if (needsOwnReading(tiff) || !reader.begin(tiff))
        return decodeSamples(dib, progress, user);
    TIFFRGBAImage& image = reader.image();
    // Rows come in stored order; the builder turns them upright, including the
    // turns by 90 degrees the RGBA reader itself would leave out.
    image.req_orientation = ORIENTATION_TOPLEFT;
    image.orientation = ORIENTATION_TOPLEFT;
    const bool alpha = image.alpha != 0;

    if (const std::int32_t code = dib.start(width_, height_, alpha, orientation_);
        code != SPI_SUCCESS)
        return code;
    dib.setDensity(pelsPerMetre(xDpi_), pelsPerMetre(yDpi_));

    spi::Progress steps(progress, user, height_);
    if (!steps.report(0))
        return SPI_ABORTED;
    const std::uint32_t band = bandRows(tiff, height_);
    // Left unfilled: a damaged file fails without the band ever being touched.
    const auto raster = std::make_unique_for_overwrite<std::uint32_t[]>(std::size_t(width_) * band);
    std::vector<std::uint8_t> row(std::size_t(width_) * 4);
    for (std::uint32_t top = 0; top < height_; top += band) {
        const std::uint32_t rows = std::min(band, height_ - top);
        image.row_offset = static_cast<int>(top);
        if (!TIFFRGBAImageGet(&image, raster.get(), width_, rows))
            return SPI_BROKEN_DATA;
        for (std::uint32_t r = 0; r < rows; ++r) {
            toStraightRgba(raster.get() + std::size_t(r) * width_, width_, alpha, row.data());
            dib.putRow(top + r, row.data(), spi::PixelFormat::Rgba8);
        }
        if (!steps.report(top + rows))
            return SPI_ABORTED;
    }
    return SPI_SUCCESS;
}

std::int32_t TiffPicture::decodeSamples(spi::DibBuilder& dib, SpiProgressCallback progress,
                                        intptr_t user) {
    TiffSampleBands bands;
    TiffColourModel colours;
    if (!bands.init(file_.handle(), width_, height_) || !colours.init(file_.handle(), bands))
        return SPI_UNKNOWN_FORMAT;
    if (const std::int32_t code = dib.start(width_, height_, colours.hasAlpha(), orientation_);
        code != SPI_SUCCESS)
        return code;
    dib.setDensity(pelsPerMetre(xDpi_), pelsPerMetre(yDpi_));

    spi::Progress steps(progress, user, height_);
    if (!steps.report(0))
        return SPI_ABORTED;
    // Samples are unpacked as doubles a stretch of a row at a time: a whole
    // row of a very wide picture would take eight times its stored size.
    const std::uint32_t stretch = std::min(width_, SamplesStretchPixels);
    std::vector<double> samples(std::size_t(stretch) * bands.samplesPerPixel());
    std::vector<std::uint8_t> row(std::size_t(width_) * 4);
    for (std::uint32_t top = 0; top < height_; top += bands.bandRows()) {
        const std::uint32_t rows = bands.read(top);
        if (rows == 0)
            return SPI_BROKEN_DATA;
        for (std::uint32_t r = 0; r < rows; ++r) {
            for (std::uint32_t left = 0; left < width_; left += stretch) {
                const std::uint32_t pixels = std::min(stretch, width_ - left);
                bands.unpackRow(r, left, pixels, samples.data());
                colours.toRgba8(samples.data(), pixels, row.data() + std::size_t(left) * 4);
            }
            dib.putRow(top + r, row.data(), spi::PixelFormat::Rgba8);
        }
        if (!steps.report(top + rows))
            return SPI_ABORTED;
    }
    return SPI_SUCCESS;
}

} // namespace tiffspi
