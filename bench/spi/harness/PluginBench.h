#pragma once

// What the plug-in benchmarks share: a photo-like picture made at run time, a
// built plug-in loaded as the host loads it and driven through its whole
// decode, timing by the best of alternating runs, and the tables they print.

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
#include <string>
#include <utility>
#include <vector>

namespace spibench {

// Soft light from two gradients, a few blurred discs and sensor noise, as
// interleaved RGB: enough texture that encoders work as they do on a photo.
inline std::vector<std::uint8_t> photoLike(int width, int height, std::uint32_t seed) {
    std::vector<std::uint8_t> rgb(std::size_t(width) * std::size_t(height) * 3);
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.f, 6.f);
    std::uniform_real_distribution<float> unit(0.f, 1.f);
    struct Disc {
        float x, y, r, shade;
    };
    std::vector<Disc> discs;
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

// Pixel (x, y) of an interleaved RGB picture `width` pixels wide, as the
// tests' file writers take their samples.
inline std::function<std::vector<std::uint8_t>(int, int)>
samplesOf(const std::vector<std::uint8_t>& rgb, int width) {
    return [&rgb, width](int x, int y) {
        const std::uint8_t* p = &rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3];
        return std::vector<std::uint8_t>{p[0], p[1], p[2]};
    };
}

class LoadedPlugin {
public:
    explicit LoadedPlugin(const char* path) {
        handle_ = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (!handle_) {
            std::fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
            std::exit(1);
        }
        isSupported_ = reinterpret_cast<SpiIsSupportedFunc>(dlsym(handle_, "IsSupported"));
        getPictureInfo_ = reinterpret_cast<SpiGetPictureInfoFunc>(dlsym(handle_, "GetPictureInfo"));
        getPicture_ = reinterpret_cast<SpiGetPictureFunc>(dlsym(handle_, "GetPicture"));
        if (!isSupported_ || !getPictureInfo_ || !getPicture_) {
            std::fprintf(stderr, "%s lacks an import export\n", path);
            std::exit(1);
        }
    }
    ~LoadedPlugin() { dlclose(handle_); }
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    // The host's whole sequence on one file, handles released; false on any failure.
    bool decode(const std::vector<std::uint8_t>& file, const char* name) const {
        // The host peeks at no fewer than SPI_PEEK_BYTES bytes.
        if (file.size() < SPI_PEEK_BYTES || !isSupported_(name, file.data()))
            return false;
        SpiPictureInfo info{};
        if (getPictureInfo_(file.data(), intptr_t(file.size()), SPI_INPUT_MEMORY, &info) !=
            SPI_SUCCESS)
            return false;
        HLOCAL bitmapInfo = nullptr;
        HLOCAL bits = nullptr;
        const std::int32_t code = getPicture_(file.data(), intptr_t(file.size()), SPI_INPUT_MEMORY,
                                              &bitmapInfo, &bits, nullptr, 0);
        LocalFree(bitmapInfo);
        LocalFree(bits);
        return code == SPI_SUCCESS;
    }

private:
    void* handle_ = nullptr;
    SpiIsSupportedFunc isSupported_ = nullptr;
    SpiGetPictureInfoFunc getPictureInfo_ = nullptr;
    SpiGetPictureFunc getPicture_ = nullptr;
};

inline double seconds(const std::function<bool()>& run) {
    const auto start = std::chrono::steady_clock::now();
    if (!run()) {
        std::fprintf(stderr, "decode failed\n");
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Best times of `rounds` alternating runs of two decodes, after one untimed
// run of each: on a shared machine the slower runs measure the other processes.
struct Pair {
    double first;
    double second;
};
inline Pair bestOfAlternating(int rounds, const std::function<bool()>& first,
                              const std::function<bool()>& second) {
    seconds(first);
    seconds(second);
    Pair best{1e30, 1e30};
    for (int i = 0; i < rounds; ++i) {
        best.first = std::min(best.first, seconds(first));
        best.second = std::min(best.second, seconds(second));
    }
    return best;
}

inline int roundsFrom(int argc, char** argv, int fallback) {
    return argc > 1 ? std::max(1, std::atoi(argv[1])) : fallback;
}

// The plug-in against a direct decode twice: into memory already touched by an
// earlier run (the strictest floor) and into new memory, as the plug-in makes a
// new bitmap for each picture. `direct` decodes into the vector it is given, or
// into new memory when given none.
struct FloorTimes {
    double plugin;
    double touched;
    double fresh;
};
inline FloorTimes
againstTouchedAndNewMemory(int rounds, const std::function<bool()>& viaPlugin,
                           const std::function<bool(std::vector<std::uint8_t>*)>& direct) {
    std::vector<std::uint8_t> reused;
    const Pair strict = bestOfAlternating(rounds, viaPlugin, [&] { return direct(&reused); });
    const Pair fresh = bestOfAlternating(rounds, viaPlugin, [&] { return direct(nullptr); });
    return {std::min(strict.first, fresh.first), strict.second, fresh.second};
}

inline void printFloors(const char* format, const char* library, int width, int height,
                        std::size_t fileSize, const FloorTimes& times) {
    std::printf("%s %2d MP (%zu KB): plug-in %.1f ms; %s into touched memory %.1f ms, "
                "ratio %.3f; into new memory %.1f ms, ratio %.3f\n",
                format, width * height / 1000000, fileSize / 1024, times.plugin * 1e3, library,
                times.touched * 1e3, times.plugin / times.touched, times.fresh * 1e3,
                times.plugin / times.fresh);
}

// A whole benchmark against both floors: photo-like pictures of 12 and 24
// megapixels, each encoded once by `encode`, decoded through the plug-in as
// `fileName` and by `direct` into the vector it is given (new memory when given
// none), one line of times and ratios each.
struct FloorBench {
    const char* format;
    const char* library;
    const char* fileName;
};
using Encoder =
    std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>& rgb, int, int)>;
using DirectDecoder =
    std::function<bool(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>* into)>;
inline int runAgainstBothFloors(int argc, char** argv, const char* pluginFile,
                                const FloorBench& bench, const Encoder& encode,
                                const DirectDecoder& direct) {
    const int rounds = roundsFrom(argc, argv, 5);
    const LoadedPlugin plugin(pluginFile);
    for (const auto& [width, height] : {std::pair{4000, 3000}, {6000, 4000}}) {
        const auto file = encode(photoLike(width, height, 7), width, height);
        const FloorTimes times = againstTouchedAndNewMemory(
            rounds, [&] { return plugin.decode(file, bench.fileName); },
            [&](std::vector<std::uint8_t>* into) { return direct(file, into); });
        printFloors(bench.format, bench.library, width, height, file.size(), times);
    }
    return 0;
}

// A table of best times, one picture a row; `nameWidth` is the first column's width.
inline void printRatioHeader(int nameWidth, const char* picture, const char* fileSize,
                             const char* library) {
    std::printf("%-*s %10s %12s %12s %7s\n", nameWidth, picture, fileSize, "plug-in ms", library,
                "ratio");
}
inline void printRatioRow(int nameWidth, const char* name, std::size_t fileSize, const Pair& best) {
    std::printf("%-*s %10zu %12.1f %12.1f %7.3f\n", nameWidth, name, fileSize, best.first * 1e3,
                best.second * 1e3, best.first / best.second);
}

struct Photo {
    const char* name;
    int width;
    int height;
};
inline constexpr Photo LossyPhotos[] = {{"12 MP lossy", 4000, 3000}, {"24 MP lossy", 6000, 4000}};

// A whole benchmark printed as a ratio table: for each of `photos` (each with
// a name, a width and a height) a photo-like picture encoded by
// encode(rgb, photo), decoded through the plug-in as `fileName` and by
// direct(file), one row of best times.
struct TableBench {
    const char* pluginFile;
    int defaultRounds;
    int nameWidth;
    const char* library; // encodes and decodes directly
    const char* fileName;
};
template <class Photos, class Encode, class Direct>
int runRatioTable(int argc, char** argv, const TableBench& bench, const Photos& photos,
                  const Encode& encode, const Direct& direct) {
    const int rounds = roundsFrom(argc, argv, bench.defaultRounds);
    const LoadedPlugin plugin(bench.pluginFile);
    const std::string libraryColumn = std::string(bench.library) + " ms";
    printRatioHeader(bench.nameWidth, "picture", "file KB", libraryColumn.c_str());
    for (const auto& photo : photos) {
        const std::vector<std::uint8_t> file =
            encode(photoLike(photo.width, photo.height, 7), photo);
        if (file.empty()) {
            std::fprintf(stderr, "%s: %s could not encode\n", photo.name, bench.library);
            return 1;
        }
        const Pair best = bestOfAlternating(
            rounds, [&] { return plugin.decode(file, bench.fileName); },
            [&] { return direct(file); });
        printRatioRow(bench.nameWidth, photo.name, file.size() / 1024, best);
    }
    return 0;
}

} // namespace spibench
