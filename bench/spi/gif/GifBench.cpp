// Times the GIF plug-in's whole decode (IsSupported, GetPictureInfo,
// GetPicture, releasing the handles) against giflib reading the same file into
// its own frame records, on photo-like pictures of 12 and 24 megapixels made
// at run time with a 3-3-2 palette, and prints the ratio of the best runs.
// Usage: spi_gif_bench [rounds]

#include "PluginBench.h"

#include <cstdio>
#include <cstring>
#include <gif_lib.h>

namespace {

int append(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

std::vector<std::uint8_t> encodeGif(const std::vector<std::uint8_t>& rgb, int width, int height) {
    std::vector<GifColorType> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[std::size_t(i)] = {GifByteType((i >> 5) * 255 / 7),
                                   GifByteType(((i >> 2) & 7) * 255 / 7),
                                   GifByteType((i & 3) * 255 / 3)};
    std::vector<std::uint8_t> file;
    int error = 0;
    GifFileType* gif = EGifOpen(&file, append, &error);
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    EGifPutScreenDesc(gif, width, height, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr);
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* p = &rgb[std::size_t(y) * std::size_t(width) * 3];
        for (int x = 0; x < width; ++x, p += 3)
            line[std::size_t(x)] = GifPixelType((p[0] & 0xe0) | ((p[1] >> 3) & 0x1c) | (p[2] >> 6));
        EGifPutLine(gif, line.data(), width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return file;
}

struct Reading {
    const std::vector<std::uint8_t>* file;
    std::size_t offset;
};

int readBytes(GifFileType* gif, GifByteType* out, int count) {
    auto* reading = static_cast<Reading*>(gif->UserData);
    const std::size_t n = std::min(std::size_t(count), reading->file->size() - reading->offset);
    std::memcpy(out, reading->file->data() + reading->offset, n);
    reading->offset += n;
    return int(n);
}

// The floor: what a program using the library directly does.
bool directDecode(const std::vector<std::uint8_t>& file) {
    Reading reading{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reading, readBytes, &error);
    const bool ok = gif && DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0;
    DGifCloseFile(gif, &error);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = spibench::roundsFrom(argc, argv, 5);
    const spibench::LoadedPlugin plugin(SPI_PLUGIN_FILE);
    for (const auto& [width, height] : {std::pair{4000, 3000}, {6000, 4000}}) {
        const auto file = encodeGif(spibench::photoLike(width, height, 7), width, height);
        const auto best = spibench::bestOfAlternating(
            rounds, [&] { return plugin.decode(file, "picture.gif"); },
            [&] { return directDecode(file); });
        std::printf("GIF %2d MP (%zu KB): plug-in %.1f ms, giflib %.1f ms, ratio %.3f\n",
                    width * height / 1000000, file.size() / 1024, best.first * 1e3,
                    best.second * 1e3, best.first / best.second);
    }
    return 0;
}
