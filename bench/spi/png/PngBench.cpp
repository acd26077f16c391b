// Times the PNG plug-in's whole decode (IsSupported, GetPictureInfo,
// GetPicture, releasing the handles) against libpng reading the same file into
// an RGB buffer (memory already touched, and new memory), on photo-like
// pictures of 12 and 24 megapixels made at run time, and prints the ratios of
// the best runs.
// Usage: spi_png_bench [rounds]

#include "PluginBench.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <png.h>

namespace {

void append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flush(png_structp) {}

std::vector<std::uint8_t> encodePng(const std::vector<std::uint8_t>& rgb, int width, int height) {
    std::vector<std::uint8_t> file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &file, append, flush);
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, &rgb[std::size_t(y) * std::size_t(width) * 3]);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return file;
}

struct Reading {
    const std::vector<std::uint8_t>* file;
    std::size_t offset;
};

void readBytes(png_structp png, png_bytep out, png_size_t count) {
    auto* reading = static_cast<Reading*>(png_get_io_ptr(png));
    if (count > reading->file->size() - reading->offset)
        png_error(png, "file ends early");
    std::memcpy(out, reading->file->data() + reading->offset, count);
    reading->offset += count;
}

// The floor: what a program using the library directly does. Into `reused`
// when given, memory already touched by an earlier run, the strictest floor;
// else into a new buffer, as the plug-in makes a new bitmap for each picture.
bool directDecode(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>* reused) {
    Reading reading{&file, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reading, readBytes);
    png_read_info(png, info);
    png_read_update_info(png, info);
    const std::size_t stride = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    std::unique_ptr<std::uint8_t[]> fresh;
    if (reused)
        reused->resize(stride * height);
    else
        fresh.reset(new std::uint8_t[stride * height]);
    std::uint8_t* out = reused ? reused->data() : fresh.get();
    for (png_uint_32 y = 0; y < height; ++y)
        png_read_row(png, &out[y * stride], nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    return spibench::runAgainstBothFloors(argc, argv, SPI_PLUGIN_FILE,
                                          {"PNG", "libpng", "photo.png"}, encodePng, directDecode);
}
