// Times the WebP plug-in's whole decode (IsSupported, GetPictureInfo,
// GetPicture, releasing the handles) against libwebp decoding the same file
// straight to BGR, on photo-like pictures of 12 and 24 megapixels made at run
// time, and prints the ratio of the best runs. Runs alternate so both sides see
// the same machine.

#include "sdk/sorteka_spi.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <functional>
#include <random>
#include <vector>
#include <webp/decode.h>
#include <webp/encode.h>

namespace {

using Clock = std::chrono::steady_clock;

// Soft light from two gradients, a few blurred discs and sensor noise: enough
// texture that the encoder works as it does on a photo.
std::vector<std::uint8_t> photoLike(int width, int height, std::uint32_t seed) {
    std::vector<std::uint8_t> rgb(std::size_t(width) * std::size_t(height) * 3);
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.f, 6.f);
    struct Disc {
        float x, y, r, shade;
    };
    std::vector<Disc> discs;
    std::uniform_real_distribution<float> unit(0.f, 1.f);
    for (int i = 0; i < 12; ++i)
        discs.push_back({unit(random) * float(width), unit(random) * float(height),
                         (0.05f + 0.2f * unit(random)) * float(std::min(width, height)),
                         unit(random) * 120.f - 60.f});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float fx = float(x) / float(width);
            const float fy = float(y) / float(height);
            float light = 0;
            for (const Disc& d : discs) {
                const float dist = std::hypot(float(x) - d.x, float(y) - d.y) / d.r;
                light += d.shade * std::exp(-dist * dist);
            }
            const float base[3] = {60 + 150 * fx, 80 + 120 * fy, 170 - 90 * fx * fy};
            std::uint8_t* p = &rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3];
            for (int c = 0; c < 3; ++c)
                p[c] = std::uint8_t(std::clamp(base[c] + light + noise(random), 0.f, 255.f));
        }
    return rgb;
}

std::vector<std::uint8_t> encodeWebp(const std::vector<std::uint8_t>& rgb, int width, int height) {
    std::uint8_t* out = nullptr;
    const std::size_t size = WebPEncodeRGB(rgb.data(), width, height, width * 3, 85, &out);
    std::vector<std::uint8_t> file(out, out + size);
    WebPFree(out);
    return file;
}

struct Plugin {
    void* handle = nullptr;
    SpiIsSupportedFunc isSupported = nullptr;
    SpiGetPictureInfoFunc getPictureInfo = nullptr;
    SpiGetPictureFunc getPicture = nullptr;
};

bool pluginDecode(const Plugin& plugin, const std::vector<std::uint8_t>& file) {
    if (!plugin.isSupported("photo.webp", file.data()))
        return false;
    SpiPictureInfo info{};
    if (plugin.getPictureInfo(file.data(), intptr_t(file.size()), SPI_INPUT_MEMORY, &info) !=
        SPI_SUCCESS)
        return false;
    HLOCAL bitmapInfo = nullptr;
    HLOCAL bits = nullptr;
    const std::int32_t code = plugin.getPicture(file.data(), intptr_t(file.size()),
                                                SPI_INPUT_MEMORY, &bitmapInfo, &bits, nullptr, 0);
    LocalFree(bitmapInfo);
    LocalFree(bits);
    return code == SPI_SUCCESS;
}

bool directDecode(const std::vector<std::uint8_t>& file) {
    int width = 0;
    int height = 0;
    std::uint8_t* pixels = WebPDecodeBGR(file.data(), file.size(), &width, &height);
    WebPFree(pixels);
    return pixels != nullptr;
}

double seconds(const std::function<bool()>& run) {
    const auto start = Clock::now();
    if (!run()) {
        std::fprintf(stderr, "decode failed\n");
        std::exit(1);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The fastest of several runs: on a shared machine the slower ones measure the
// other processes.
double best(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    Plugin plugin;
    plugin.handle = dlopen(SPI_PLUGIN_FILE, RTLD_NOW | RTLD_LOCAL);
    if (!plugin.handle) {
        std::fprintf(stderr, "cannot load %s: %s\n", SPI_PLUGIN_FILE, dlerror());
        return 1;
    }
    plugin.isSupported = reinterpret_cast<SpiIsSupportedFunc>(dlsym(plugin.handle, "IsSupported"));
    plugin.getPictureInfo =
        reinterpret_cast<SpiGetPictureInfoFunc>(dlsym(plugin.handle, "GetPictureInfo"));
    plugin.getPicture = reinterpret_cast<SpiGetPictureFunc>(dlsym(plugin.handle, "GetPicture"));
    if (!plugin.isSupported || !plugin.getPictureInfo || !plugin.getPicture) {
        std::fprintf(stderr, "%s lacks an import export\n", SPI_PLUGIN_FILE);
        return 1;
    }

    std::printf("%-14s %10s %12s %12s %7s\n", "picture", "file KB", "plug-in ms", "libwebp ms",
                "ratio");
    const struct {
        const char* name;
        int width;
        int height;
    } photos[] = {{"12 MP lossy", 4000, 3000}, {"24 MP lossy", 6000, 4000}};
    for (const auto& photo : photos) {
        const std::vector<std::uint8_t> file =
            encodeWebp(photoLike(photo.width, photo.height, 7), photo.width, photo.height);
        // One untimed run each warms the caches and the allocator.
        seconds([&] { return pluginDecode(plugin, file); });
        seconds([&] { return directDecode(file); });
        std::vector<double> viaPlugin;
        std::vector<double> direct;
        for (int i = 0; i < rounds; ++i) {
            viaPlugin.push_back(seconds([&] { return pluginDecode(plugin, file); }));
            direct.push_back(seconds([&] { return directDecode(file); }));
        }
        const double p = best(viaPlugin);
        const double d = best(direct);
        std::printf("%-14s %10zu %12.1f %12.1f %7.3f\n", photo.name, file.size() / 1024, p * 1e3,
                    d * 1e3, p / d);
    }
    dlclose(plugin.handle);
    return 0;
}
