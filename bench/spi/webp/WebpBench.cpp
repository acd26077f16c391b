// Times the WebP plug-in's whole decode (IsSupported, GetPictureInfo,
// GetPicture, releasing the handles) against libwebp decoding the same file
// straight to BGR, on photo-like pictures of 12 and 24 megapixels made at run
// time, and prints the ratio of the best runs. Runs alternate so both sides see
// the same machine.

#include "PluginBench.h"

#include <cstdint>
#include <cstdio>
#include <vector>
#include <webp/decode.h>
#include <webp/encode.h>

namespace {

std::vector<std::uint8_t> encodeWebp(const std::vector<std::uint8_t>& rgb, int width, int height) {
    std::uint8_t* out = nullptr;
    const std::size_t size = WebPEncodeRGB(rgb.data(), width, height, width * 3, 85, &out);
    std::vector<std::uint8_t> file(out, out + size);
    WebPFree(out);
    return file;
}

bool directDecode(const std::vector<std::uint8_t>& file) {
    int width = 0;
    int height = 0;
    std::uint8_t* pixels = WebPDecodeBGR(file.data(), file.size(), &width, &height);
    WebPFree(pixels);
    return pixels != nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = spibench::roundsFrom(argc, argv, 7);
    const spibench::LoadedPlugin plugin(SPI_PLUGIN_FILE);
    spibench::printRatioHeader(14, "picture", "file KB", "libwebp ms");
    const struct {
        const char* name;
        int width;
        int height;
    } photos[] = {{"12 MP lossy", 4000, 3000}, {"24 MP lossy", 6000, 4000}};
    for (const auto& photo : photos) {
        const std::vector<std::uint8_t> file = encodeWebp(
            spibench::photoLike(photo.width, photo.height, 7), photo.width, photo.height);
        const auto best = spibench::bestOfAlternating(
            rounds, [&] { return plugin.decode(file, "photo.webp"); },
            [&] { return directDecode(file); });
        spibench::printRatioRow(14, photo.name, file.size() / 1024, best);
    }
    return 0;
}
