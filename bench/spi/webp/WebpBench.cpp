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
    return spibench::runRatioTable(
        argc, argv, {SPI_PLUGIN_FILE, 7, 14, "libwebp", "photo.webp"}, spibench::LossyPhotos,
        [](const std::vector<std::uint8_t>& rgb, const spibench::Photo& photo) {
            return encodeWebp(rgb, photo.width, photo.height);
        },
        directDecode);
}
