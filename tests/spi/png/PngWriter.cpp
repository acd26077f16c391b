#include "PngWriter.h"

#include <png.h>

namespace pngtest {
namespace {

void append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flush(png_structp) {}

int channelsOf(int colourType) {
    switch (colourType) {
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGBA:
        return 4;
    default:
        return 1;
    }
}

} // namespace

std::vector<std::uint8_t> writePng(int width, int height, const SampleFunction& samples,
                                   const PngOptions& options) {
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, append, flush);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), options.bitDepth,
                 options.colourType, options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (std::size_t i = 0; i + 2 < options.palette.size(); i += 3)
        palette.push_back({options.palette[i], options.palette[i + 1], options.palette[i + 2]});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (!options.paletteAlpha.empty())
        png_set_tRNS(png, info, options.paletteAlpha.data(), int(options.paletteAlpha.size()),
                     nullptr);
    if (!options.transparent.empty()) {
        png_color_16 colour{};
        colour.gray = options.transparent[0];
        if (options.transparent.size() == 3) {
            colour.red = options.transparent[0];
            colour.green = options.transparent[1];
            colour.blue = options.transparent[2];
        }
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    png_write_info(png, info);
    if (options.bitDepth == 16)
        png_set_swap(png); // rows below are little-endian words

    // Rows packed here: sub-byte depths most significant bits first.
    const int channels = channelsOf(options.colourType);
    const std::size_t bits = std::size_t(width) * std::size_t(channels * options.bitDepth);
    std::vector<std::vector<std::uint8_t>> rows(std::size_t(height),
                                                std::vector<std::uint8_t>((bits + 7) / 8));
    for (int y = 0; y < height; ++y) {
        auto& row = rows[std::size_t(y)];
        std::size_t bit = 0;
        for (int x = 0; x < width; ++x) {
            for (const std::uint16_t value : samples(x, y)) {
                if (options.bitDepth == 16) {
                    row[bit / 8] = std::uint8_t(value);
                    row[bit / 8 + 1] = std::uint8_t(value >> 8);
                } else if (options.bitDepth == 8) {
                    row[bit / 8] = std::uint8_t(value);
                } else {
                    const int shift = 8 - options.bitDepth - int(bit % 8);
                    row[bit / 8] |= std::uint8_t(value << shift);
                }
                bit += std::size_t(options.bitDepth);
            }
        }
    }
    std::vector<png_bytep> pointers;
    for (auto& row : rows)
        pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

} // namespace pngtest
