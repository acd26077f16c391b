#pragma once

// The floor several benchmarks time against: libjpeg-turbo decoding a whole
// JPEG to RGB rows, as a program using the library directly does.

#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace spibench {

inline void decodeJpegRgb(const unsigned char* data, std::size_t size,
                          std::vector<unsigned char>& out) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const std::size_t stride = std::size_t(cinfo.output_width) * cinfo.output_components;
    out.resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &out[std::size_t(cinfo.output_scanline) * stride];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

} // namespace spibench
