#include "spi/jpeg/JpegDecoder.h"

#include "spi/common/DibBuilder.h"
#include "spi/common/ExifOrientation.h"
#include "spi/common/Progress.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

namespace spijpeg {
namespace {

// A progressive stream may hold any number of scans, each a pass over the
// whole picture; real encoders write a dozen, hostile files thousands.
constexpr int MaxScans = 1000;

// The coefficient buffer of a progressive picture lives in memory; this caps it
// well above what the pixel limit allows for real photos.
constexpr long MaxDecoderMemory = 1024L * 1024 * 1024;

constexpr int App1 = JPEG_APP0 + 1;

// The library reports errors by calling error_exit, which must not return; the
// jump lands in the function that set it up, before any C++ frame between.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    std::int32_t code;
};

[[noreturn]] void failWith(j_common_ptr cinfo, std::int32_t code) {
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    errors->code = code;
    std::longjmp(errors->jump, 1);
}

[[noreturn]] void onError(j_common_ptr cinfo) {
    // Without temporary files, a picture beyond the memory cap ends as a
    // request for backing store.
    const int message = cinfo->err->msg_code;
    failWith(cinfo, message == JERR_OUT_OF_MEMORY || message == JERR_NO_BACKING_STORE
                        ? SPI_NO_MEMORY
                        : SPI_BROKEN_DATA);
}

void onMessage(j_common_ptr cinfo, int level) {
    // A stream that ends early, or whose pixel data stops at a marker, is
    // finished in grey by the library; it is broken data here. Other warnings
    // (stray bytes between markers) leave the picture intact and are ignored,
    // as are trace messages.
    const int message = cinfo->err->msg_code;
    if (level < 0 && (message == JWRN_JPEG_EOF || message == JWRN_HIT_MARKER))
        failWith(cinfo, SPI_BROKEN_DATA);
}

void onProgress(j_common_ptr cinfo) {
    auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (dinfo->input_scan_number > MaxScans)
        failWith(cinfo, SPI_BROKEN_DATA);
}

// One decompressor; destroyed with the object, also after a jump.
class Decompressor {
public:
    Decompressor() {
        cinfo.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = onError;
        errors.base.emit_message = onMessage;
        errors.code = SPI_SUCCESS;
        monitor.progress_monitor = onProgress;
    }
    ~Decompressor() {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    // Call after setjmp(errors.jump): creating may already fail.
    void open(std::span<const std::uint8_t> file) {
        jpeg_create_decompress(&cinfo);
        created = true;
        cinfo.mem->max_memory_to_use = MaxDecoderMemory;
        cinfo.progress = &monitor;
        jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
        jpeg_save_markers(&cinfo, App1, 0xffff);
        if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
            failWith(reinterpret_cast<j_common_ptr>(&cinfo), SPI_BROKEN_DATA);
    }

    [[nodiscard]] spi::Orientation orientation() const {
        for (jpeg_saved_marker_ptr marker = cinfo.marker_list; marker; marker = marker->next)
            if (marker->marker == App1)
                if (const spi::Orientation found =
                        spi::exifOrientationFromApp1({marker->data, marker->data_length});
                    found != 1)
                    return found;
        return 1;
    }

    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    jpeg_progress_mgr monitor{};
    bool created = false;
};

// Density in dots per inch from the JFIF header, or 0 when it gives none.
std::uint16_t dotsPerInch(const jpeg_decompress_struct& cinfo, UINT16 density) {
    if (cinfo.density_unit == 1)
        return density;
    if (cinfo.density_unit == 2)
        return static_cast<std::uint16_t>(density * 254u / 100u);
    return 0;
}

bool isCmyk(const jpeg_decompress_struct& cinfo) {
    return cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
}

} // namespace

bool hasJpegSignature(std::span<const std::uint8_t> data) {
    // The byte after the marker start is a marker code, or another 0xff as fill.
    return data.size() >= 4 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff &&
           data[3] >= 0xc0;
}

std::int32_t readJpegInfo(std::span<const std::uint8_t> file, SpiPictureInfo* info) {
    if (!hasJpegSignature(file))
        return SPI_UNKNOWN_FORMAT;
    Decompressor jpeg;
    if (setjmp(jpeg.errors.jump))
        return jpeg.errors.code;
    jpeg.open(file);
    const jpeg_decompress_struct& c = jpeg.cinfo;
    const spi::Orientation orientation = jpeg.orientation();
    const std::int32_t code = spi::fillPictureInfo(info, c.image_width, c.image_height,
                                                   std::int16_t(8 * c.num_components), orientation);
    if (code != SPI_SUCCESS)
        return code;
    const bool swap = spi::swapsAxes(orientation);
    info->x_density = dotsPerInch(c, swap ? c.Y_density : c.X_density);
    info->y_density = dotsPerInch(c, swap ? c.X_density : c.Y_density);
    return SPI_SUCCESS;
}

std::int32_t decodeJpeg(std::span<const std::uint8_t> file, SpiProgressCallback progress,
                        intptr_t user, spi::DibBuilder& dib) {
    return decodeJpegScaled(file, spi::FitBox{}, progress, user, dib);
}

std::int32_t decodeJpegScaled(std::span<const std::uint8_t> file, spi::FitBox box,
                              SpiProgressCallback progress, intptr_t user, spi::DibBuilder& dib) {
    if (!hasJpegSignature(file))
        return SPI_UNKNOWN_FORMAT;
    Decompressor jpeg;
    if (setjmp(jpeg.errors.jump))
        return jpeg.errors.code;
    jpeg.open(file);
    jpeg_decompress_struct& c = jpeg.cinfo;

    // The DCT scales every side alike, so the upright sizes decide.
    const spi::Orientation orientation = jpeg.orientation();
    const bool swap = spi::swapsAxes(orientation);
    const int eighths = spi::eighthsToCover(swap ? c.image_height : c.image_width,
                                            swap ? c.image_width : c.image_height, box);
    c.scale_num = unsigned(eighths);
    c.scale_denom = 8;
    jpeg_calc_output_dimensions(&c);

    // Colour and grey pictures come out in the bitmap's own order, so upright
    // rows go straight into place; CMYK is converted here, Adobe's inverted
    // form told apart by its marker.
    const bool cmyk = isCmyk(c);
    c.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    const spi::PixelFormat rowFormat = !cmyk                ? spi::PixelFormat::Bgr8
                                       : c.saw_Adobe_marker ? spi::PixelFormat::InvertedCmyk8
                                                            : spi::PixelFormat::Cmyk8;

    const JDIMENSION width = c.output_width;
    const JDIMENSION height = c.output_height;
    if (const std::int32_t code = dib.start(width, height, false, orientation); code != SPI_SUCCESS)
        return code;
    if (c.density_unit == 1 || c.density_unit == 2) {
        // A reduced picture covers the same paper with fewer dots.
        const double perMetre =
            (c.density_unit == 1 ? 10000.0 / 254.0 : 100.0) * double(eighths) / 8.0;
        dib.setDensity(std::int32_t(c.X_density * perMetre), std::int32_t(c.Y_density * perMetre));
    }

    spi::Progress reporter(progress, user, height);
    if (!reporter.report(0))
        return SPI_ABORTED;
    jpeg_start_decompress(&c);
    if (c.output_width != width || c.output_height != height)
        failWith(reinterpret_cast<j_common_ptr>(&c), SPI_INTERNAL_ERROR);

    const bool direct = !cmyk && dib.directRow(0) != nullptr;
    JSAMPARRAY scratch = nullptr;
    if (!direct)
        scratch = (*c.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&c), JPOOL_IMAGE,
                                         c.output_width * JDIMENSION(c.output_components),
                                         JDIMENSION(c.rec_outbuf_height));
    constexpr int MaxBatch = 16;
    JSAMPROW rows[MaxBatch];
    const int batch = std::min(c.rec_outbuf_height, MaxBatch);
    while (c.output_scanline < c.output_height) {
        const JDIMENSION first = c.output_scanline;
        JDIMENSION count = std::min<JDIMENSION>(JDIMENSION(batch), c.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = direct ? dib.directRow(first + i) : scratch[i];
        count = jpeg_read_scanlines(&c, rows, count);
        if (count == 0)
            return SPI_BROKEN_DATA;
        if (!direct)
            for (JDIMENSION i = 0; i < count; ++i)
                dib.putRow(first + i, scratch[i], rowFormat);
        if (!reporter.report(c.output_scanline))
            return SPI_ABORTED;
    }
    jpeg_finish_decompress(&c);
    return SPI_SUCCESS;
}

} // namespace spijpeg
