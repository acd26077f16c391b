#include "spi/png/PngDecoder.h"

#include "spi/common/DibBuilder.h"
#include "spi/common/ExifOrientation.h"
#include "spi/common/Input.h"
#include "spi/common/Progress.h"
#include "spi/common/SizeMath.h"

#include <cstring>
#include <png.h>
#include <vector>

namespace spipng {
namespace {

constexpr std::uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

// The file image and how far libpng has read it; also where an error leaves
// its code before the jump back.
struct Source {
    std::span<const std::uint8_t> bytes;
    std::size_t offset = 0;
    std::int32_t code = SPI_SUCCESS;
};

[[noreturn]] void onError(png_structp png, png_const_charp message) {
    auto* source = static_cast<Source*>(png_get_error_ptr(png));
    if (source->code == SPI_SUCCESS)
        source->code = message && std::strstr(message, "emory") ? SPI_NO_MEMORY : SPI_BROKEN_DATA;
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {
    // Warnings concern ancillary chunks the picture does without.
}

void readBytes(png_structp png, png_bytep out, png_size_t count) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (count > source->bytes.size() - source->offset) {
        source->code = SPI_BROKEN_DATA;
        png_error(png, "file ends early");
    }
    std::memcpy(out, source->bytes.data() + source->offset, count);
    source->offset += count;
}

// One read structure with its info; destroyed with the object, also after a jump.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> file) { source.bytes = file; }
    ~Reader() { png_destroy_read_struct(&png, &info, nullptr); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // False when libpng could not even be set up.
    [[nodiscard]] bool create() {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, onError, onWarning);
        if (png)
            info = png_create_info_struct(png);
        return png && info;
    }

    // Call after setjmp(png_jmpbuf(png)): reads everything up to the image data.
    void readHeader() {
        png_set_read_fn(png, &source, readBytes);
        // Sizes above the pixel limit are refused by the caller; these keep
        // libpng from allocating for them first.
        png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
        png_read_info(png, info);
    }

    png_structp png = nullptr;
    png_infop info = nullptr;
    Source source;
};

// The orientation an eXIf chunk before the image data gives, or 1. Some
// writers keep the "Exif\0\0" prefix of JPEG's APP1 segment in the chunk.
spi::Orientation orientationOf(png_structp png, png_infop info) {
    png_uint_32 size = 0;
    png_bytep exif = nullptr;
    if (!png_get_eXIf_1(png, info, &size, &exif) || exif == nullptr)
        return 1;
    const std::span<const std::uint8_t> block(exif, size);
    const spi::Orientation fromTiff = spi::exifOrientationFromTiff(block);
    return fromTiff != 1 ? fromTiff : spi::exifOrientationFromApp1(block);
}

// Density in dots per inch from the pHYs chunk, or 0 when it gives none.
std::uint16_t dotsPerInch(png_uint_32 perMetre) {
    const std::uint64_t dpi = (std::uint64_t(perMetre) * 254 + 5000) / 10000;
    return dpi > 0xffff ? 0 : std::uint16_t(dpi);
}

} // namespace

bool hasPngSignature(std::span<const std::uint8_t> data) {
    return spi::startsWith(data, Signature);
}

std::int32_t readPngInfo(std::span<const std::uint8_t> file, SpiPictureInfo* info) {
    if (!hasPngSignature(file))
        return SPI_UNKNOWN_FORMAT;
    Reader reader(file);
    if (!reader.create())
        return SPI_NO_MEMORY;
    if (setjmp(png_jmpbuf(reader.png)))
        return reader.source.code == SPI_SUCCESS ? SPI_BROKEN_DATA : reader.source.code;
    reader.readHeader();
    const png_uint_32 width = png_get_image_width(reader.png, reader.info);
    const png_uint_32 height = png_get_image_height(reader.png, reader.info);
    const int depth =
        png_get_bit_depth(reader.png, reader.info) * png_get_channels(reader.png, reader.info);
    if (const std::int32_t code = spi::fillPictureInfo(info, width, height, std::int16_t(depth),
                                                       orientationOf(reader.png, reader.info));
        code != SPI_SUCCESS)
        return code;
    png_uint_32 xPerMetre = 0;
    png_uint_32 yPerMetre = 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    if (png_get_pHYs(reader.png, reader.info, &xPerMetre, &yPerMetre, &unit) &&
        unit == PNG_RESOLUTION_METER) {
        info->x_density = dotsPerInch(xPerMetre);
        info->y_density = dotsPerInch(yPerMetre);
    }
    return SPI_SUCCESS;
}

std::int32_t decodePng(std::span<const std::uint8_t> file, SpiProgressCallback progress,
                       intptr_t user, spi::DibBuilder& dib) {
    if (!hasPngSignature(file))
        return SPI_UNKNOWN_FORMAT;
    Reader reader(file);
    if (!reader.create())
        return SPI_NO_MEMORY;
    png_structp png = reader.png;
    png_infop info = reader.info;
    if (setjmp(png_jmpbuf(png)))
        return reader.source.code == SPI_SUCCESS ? SPI_BROKEN_DATA : reader.source.code;
    reader.readHeader();

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (const std::int32_t code = spi::checkPictureSize(width, height); code != SPI_SUCCESS)
        return code;

    // Everything becomes 8-bit blue-green-red(-alpha), the bitmap's own order.
    const int colourType = png_get_color_type(png, info);
    const bool transparentColour = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || transparentColour;
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (transparentColour)
        png_set_tRNS_to_alpha(png);
    if ((colourType & PNG_COLOR_MASK_COLOR) == 0) {
        png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    png_set_scale_16(png);
    png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(width) * (alpha ? 4u : 3u))
        return SPI_INTERNAL_ERROR;

    const spi::Orientation orientation = orientationOf(png, info);
    if (const std::int32_t code = dib.start(width, height, alpha, orientation); code != SPI_SUCCESS)
        return code;
    png_uint_32 xPerMetre = 0;
    png_uint_32 yPerMetre = 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    if (png_get_pHYs(png, info, &xPerMetre, &yPerMetre, &unit) && unit == PNG_RESOLUTION_METER)
        dib.setDensity(std::int32_t(xPerMetre & 0x7fffffff), std::int32_t(yPerMetre & 0x7fffffff));

    // Upright rows go straight into the bitmap; an interlaced picture fills
    // them in over several passes, which libpng merges into what is already
    // there. A turned picture is read whole first, then put in place.
    const std::size_t rowBytes = std::size_t(width) * (alpha ? 4u : 3u);
    std::vector<std::uint8_t> whole;
    if (orientation != 1)
        whole.resize(rowBytes * height);
    auto rowAt = [&](png_uint_32 y) {
        return orientation == 1 ? dib.directRow(y) : whole.data() + rowBytes * y;
    };
    spi::Progress reporter(progress, user, std::int64_t(passes) * height);
    if (!reporter.report(0))
        return SPI_ABORTED;
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, rowAt(y), nullptr);
            if (!reporter.report(std::int64_t(pass) * height + y + 1))
                return SPI_ABORTED;
        }
    }
    if (orientation != 1)
        for (png_uint_32 y = 0; y < height; ++y)
            dib.putRow(y, rowAt(y), alpha ? spi::PixelFormat::Bgra8 : spi::PixelFormat::Bgr8);
    return SPI_SUCCESS;
}

} // namespace spipng
