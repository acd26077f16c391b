#include "JpegWriter.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace jpegtest {
namespace {

// "Exif\0\0" and a big-endian TIFF block with one orientation entry.
std::vector<std::uint8_t> exifWithOrientation(int orientation) {
    return {'E', 'x', 'i', 'f',  0,    0, 'M', 'M', 0, 42, 0, 0, 0,
            8,   0,   1,   0x01, 0x12, 0, 3,   0,   0, 0,  1, 0, std::uint8_t(orientation),
            0,   0,   0,   0,    0,    0};
}

} // namespace

std::vector<std::uint8_t> writeJpeg(int width, int height, const SampleFunction& samples,
                                    const JpegOptions& options) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = options.components;
    cinfo.in_color_space = options.components == 1   ? JCS_GRAYSCALE
                           : options.components == 4 ? JCS_CMYK
                                                     : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    if (options.components == 4) {
        jpeg_set_colorspace(&cinfo, JCS_CMYK);
        cinfo.write_Adobe_marker = options.adobeMarker ? TRUE : FALSE;
    }
    if (options.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    if (options.exifOrientation > 0) {
        const auto exif = exifWithOrientation(options.exifOrientation);
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif.data(), unsigned(exif.size()));
    }
    std::vector<std::uint8_t> row(std::size_t(width * options.components));
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < width; ++x) {
            const auto px = samples(x, int(cinfo.next_scanline));
            for (int c = 0; c < options.components; ++c)
                row[std::size_t(x * options.components + c)] = px[std::size_t(c)];
        }
        JSAMPROW rowPointer = row.data();
        jpeg_write_scanlines(&cinfo, &rowPointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<std::uint8_t> file(buffer, buffer + size);
    std::free(buffer);
    return file;
}

} // namespace jpegtest
