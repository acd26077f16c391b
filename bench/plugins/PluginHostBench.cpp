// Times what the plug-in host adds to a plug-in's own decoding (padding,
// handle checks, turning the bitmap into a picture, releasing the previous
// one) for 12- and 24-megapixel pictures, and compares it with decoding a
// JPEG of the same size with libjpeg-turbo in the same run.
//
//   host cost = load through TSPIBitmap - that load's own GetPicture
//               (timed by the plug-in itself, subtracted run by run)
//   ratio     = host cost / JPEG decoding        (target: at most 0.4)
//
// Medians of several runs are shown; on a busy machine run it twice.

#include "JpegFloor.h"
#include "platform/SharedLibrary.h"
#include "plugins/SPIBmp.h"
#include "plugins/SPIs.h"

#include <QByteArray>
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <jpeglib.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Runs = 11;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Timings of `Runs` runs of `work` in milliseconds, each less what
// `deduct()` reports for that run.
std::vector<double> timesMs(
    const std::function<void()>& work, const std::function<double()>& deduct = [] { return 0.0; }) {
    std::vector<double> times;
    work(); // warm caches and page in memory
    for (int i = 0; i < Runs; ++i) {
        const auto start = Clock::now();
        work();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        times.push_back(ms - deduct());
    }
    return times;
}

// A photograph-like picture: smooth gradients with some texture, RGB.
std::vector<unsigned char> makePixels(int width, int height) {
    std::vector<unsigned char> rgb(std::size_t(width) * height * 3);
    unsigned state = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            state = state * 1103515245u + 12345u;
            const int noise = int((state >> 16) & 15) - 8;
            unsigned char* p = &rgb[(std::size_t(y) * width + x) * 3];
            p[0] = static_cast<unsigned char>(std::clamp(x * 255 / width + noise, 0, 255));
            p[1] = static_cast<unsigned char>(std::clamp(y * 255 / height + noise, 0, 255));
            p[2] = static_cast<unsigned char>(
                std::clamp((x + y) * 127 / (width + height) + 64 + noise, 0, 255));
        }
    }
    return rgb;
}

QByteArray encodeJpeg(const std::vector<unsigned char>& rgb, int width, int height) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<unsigned char*>(&rgb[std::size_t(cinfo.next_scanline) * width * 3]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    QByteArray jpeg(reinterpret_cast<const char*>(out), qsizetype(outSize));
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return jpeg;
}

// The ready-bitmap file: "RDIB", a bottom-up 24-bit bitmap info header, the rows.
QByteArray makeReadyDib(const std::vector<unsigned char>& rgb, int width, int height) {
    const qsizetype rowBytes = ((qsizetype(width) * 24 + 31) / 32) * 4;
    SpiBitmapInfoHeader header{};
    header.size = sizeof header;
    header.width = width;
    header.height = height;
    header.planes = 1;
    header.bit_count = 24;
    QByteArray file("RDIB");
    file.append(reinterpret_cast<const char*>(&header), sizeof header);
    const qsizetype pixelsAt = file.size();
    file.resize(pixelsAt + rowBytes * height, '\0');
    for (int y = 0; y < height; ++y) {
        const unsigned char* src = &rgb[std::size_t(y) * width * 3];
        char* dst = file.data() + pixelsAt + rowBytes * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            dst[3 * x] = char(src[3 * x + 2]);
            dst[3 * x + 1] = char(src[3 * x + 1]);
            dst[3 * x + 2] = char(src[3 * x]);
        }
    }
    return file;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TSPIs spis;
    spis.Add(CreateSPI(QStringLiteral(SORTEKA_BENCH_SPI)));
    if (spis.Count() != 1) {
        std::fprintf(stderr, "cannot load %s\n", SORTEKA_BENCH_SPI);
        return 1;
    }
    const auto lastPictureNs = reinterpret_cast<std::int64_t (*)()>(
        platform::SharedLibrary::open(QStringLiteral(SORTEKA_BENCH_SPI))
            ->symbol("ReadyDibLastPictureNs"));
    const auto pluginMsOfLastLoad = [&] { return double(lastPictureNs()) / 1e6; };

    std::printf("%-8s %10s %15s %15s %10s %7s\n", "picture", "JPEG ms", "load total ms",
                "GetPicture ms", "host ms", "ratio");
    struct Size {
        const char* name;
        int width;
        int height;
    };
    for (const Size size : {Size{"12 MP", 4000, 3000}, Size{"24 MP", 6000, 4000}}) {
        const std::vector<unsigned char> rgb = makePixels(size.width, size.height);
        const QByteArray jpeg = encodeJpeg(rgb, size.width, size.height);
        const QByteArray ready = makeReadyDib(rgb, size.width, size.height);

        std::vector<unsigned char> decoded;
        const double jpegMs = median(timesMs([&] {
            spibench::decodeJpegRgb(reinterpret_cast<const unsigned char*>(jpeg.constData()),
                                    std::size_t(jpeg.size()), decoded);
        }));

        TSPIBitmap picture;
        std::vector<double> plugin;
        const auto load = [&] { picture.loadFromData(ready); };
        const double totalMs = median(timesMs(load));
        const double hostMs = median(timesMs(load, [&] {
            plugin.push_back(pluginMsOfLastLoad());
            return plugin.back();
        }));
        if (picture.width() != size.width || picture.height() != size.height) {
            std::fprintf(stderr, "the picture did not load\n");
            return 1;
        }
        std::printf("%-8s %10.1f %15.1f %15.1f %10.1f %7.2f\n", size.name, jpegMs, totalMs,
                    median(plugin), hostMs, hostMs / jpegMs);
    }
    return 0;
}
