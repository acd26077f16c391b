// Times the JPEG plug-in's whole decode (IsSupported, GetPictureInfo,
// GetPicture, releasing the handles) against libjpeg-turbo decoding the same
// file with its default settings into an RGB buffer (memory already touched,
// and new memory), on photo-like pictures of 12 and 24 megapixels made at run
// time, and prints the ratios of the best runs.
// Usage: spi_jpeg_bench [rounds]

#include "JpegWriter.h"
#include "PluginBench.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <memory>

namespace {

std::vector<std::uint8_t> encodeJpeg(const std::vector<std::uint8_t>& rgb, int width, int height) {
    return jpegtest::writeJpeg(width, height, spibench::samplesOf(rgb, width), {.quality = 90});
}

// The floor: what a program using the library directly does. Into `reused`
// when given, memory already touched by an earlier run, the strictest floor;
// else into a new buffer, as the plug-in makes a new bitmap for each picture.
bool directDecode(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>* reused) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    const std::size_t stride = std::size_t(cinfo.output_width) * 3;
    std::unique_ptr<std::uint8_t[]> fresh;
    if (reused)
        reused->resize(stride * cinfo.output_height);
    else
        fresh.reset(new std::uint8_t[stride * cinfo.output_height]);
    std::uint8_t* out = reused ? reused->data() : fresh.get();
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &out[std::size_t(cinfo.output_scanline) * stride];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    return spibench::runAgainstBothFloors(argc, argv, SPI_PLUGIN_FILE,
                                          {"JPEG", "libjpeg-turbo", "photo.jpg"}, encodeJpeg,
                                          directDecode);
}
