// Times the decoder service as the window uses it, against libjpeg-turbo
// decoding one 24-megapixel JPEG in full on one core in the same run:
//
//   burst     60 such JPEGs asked for at 269 × 333 back to back, each asked
//             for when the one before has arrived, the rest handed over as
//             upcoming: time a picture / one full decode      (target ≤ 0.35)
//   recovery  60 small pictures of a plug-in that crashes on every third:
//             extra time a crash costs over a good picture, and the longest
//             wait for a picture right after a crash          (target ≤ 100 ms)
//   paced     11 of them asked for a second apart (the first round only):
//             asked for → arrived, median and 90th percentile; the window's
//             painting comes on top
//   memory    the decoders' peak resident memory together after the burst
//   start     setPluginMasks() until the catalogue arrives, with the JPEG
//             plug-in alone and with every plug-in of the build tree
//
// Usage: decoder_bench [rounds]    (best of `rounds` for each figure)

#include "JpegFloor.h"
#include "JpegWriter.h"
#include "PluginBench.h"
#include "ProcessMemory.h"
#include "decoder/DecoderPool.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <dlfcn.h>
#include <jpeglib.h>
#include <memory>

namespace {

constexpr int Pictures = 60;
constexpr int PacedPictures = 11;
constexpr int JpegWidth = 6000;
constexpr int JpegHeight = 4000;
const QSize ShownSize(269, 333);

// The JPEG plug-in's own GetPictureScaled at the shown size, in this process:
// what a decoder cannot go below for one picture.
bool decodeScaled(SpiGetPictureScaledFunc getPictureScaled, const std::vector<std::uint8_t>& file) {
    HLOCAL info = nullptr;
    HLOCAL bits = nullptr;
    const int32_t code =
        getPictureScaled(file.data(), intptr_t(file.size()), SPI_INPUT_MEMORY, ShownSize.width(),
                         ShownSize.height(), &info, &bits, nullptr, 0);
    LocalFree(info);
    LocalFree(bits);
    return code == SPI_SUCCESS;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// A plug-in folder holding copies of `plugins`; gives its mask.
QString pluginFolder(const QString& folder, const QStringList& plugins) {
    QDir().mkpath(folder);
    for (const QString& plugin : plugins)
        QFile::copy(plugin, folder + QLatin1Char('/') + QFileInfo(plugin).fileName());
    return folder + QStringLiteral("/*.spi");
}

decoder::PoolOptions options() {
    decoder::PoolOptions options;
    options.executable = QStringLiteral(SORTEKA_BENCH_DECODER);
    return options;
}

// Seconds from setPluginMasks() to the catalogue.
double startSeconds(decoder::DecoderPool& pool, const QString& mask) {
    QEventLoop loop;
    QObject::connect(&pool, &decoder::DecoderPool::catalogueReady, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    pool.setPluginMasks({mask});
    loop.exec();
    return double(clock.nsecsElapsed()) / 1e9;
}

struct Browse {
    double seconds = 0;
    std::vector<double> waits; // request to result, seconds
    int failed = 0;
    double longestAfterFailure = 0; // seconds
};

// Asks for each file once the one before has arrived and `paceMs` more have
// passed: keys back to back, or a key every so often.
Browse browse(decoder::DecoderPool& pool, const QStringList& paths, int paceMs = 0) {
    Browse outcome;
    QEventLoop loop;
    decoder::PictureResult last;
    QObject::connect(&pool, &decoder::DecoderPool::pictureReady, &loop,
                     [&](const decoder::PictureResult& result) {
                         last = result;
                         loop.quit();
                     });
    QElapsedTimer clock;
    clock.start();
    bool afterFailure = false;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (paceMs > 0) {
            QTimer::singleShot(paceMs, &loop, &QEventLoop::quit);
            loop.exec();
        }
        const qint64 asked = clock.nsecsElapsed();
        pool.requestPicture(paths[i]);
        pool.setUpcoming(paths.mid(i + 1));
        loop.exec();
        const double waited = double(clock.nsecsElapsed() - asked) / 1e9;
        outcome.waits.push_back(waited);
        if (afterFailure)
            outcome.longestAfterFailure = std::max(outcome.longestAfterFailure, waited);
        afterFailure = !last.ok;
        outcome.failed += last.ok ? 0 : 1;
    }
    outcome.seconds = double(clock.nsecsElapsed()) / 1e9;
    QObject::disconnect(&pool, &decoder::DecoderPool::pictureReady, &loop, nullptr);
    return outcome;
}

QByteArray misPicture(const char* word) {
    QByteArray bytes("MISB");
    bytes.append(word, 4);
    bytes.append("\x40\x00\x30\x00\x80", 5);
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int rounds = spibench::roundsFrom(argc, argv, 3);
    QTemporaryDir dir;

    std::printf("writing a %d × %d JPEG…\n", JpegWidth, JpegHeight);
    const std::vector<std::uint8_t> rgb = spibench::photoLike(JpegWidth, JpegHeight, 7);
    const std::vector<std::uint8_t> jpeg = jpegtest::writeJpeg(
        JpegWidth, JpegHeight, spibench::samplesOf(rgb, JpegWidth), {.quality = 90});
    const QByteArray jpegBytes(reinterpret_cast<const char*>(jpeg.data()), qsizetype(jpeg.size()));
    QStringList photos;
    for (int i = 0; i < Pictures; ++i) {
        photos.append(dir.filePath(QStringLiteral("photos/%1.jpg").arg(i, 2, 10, QChar('0'))));
        QDir().mkpath(dir.filePath(QStringLiteral("photos")));
        writeFile(photos.last(), jpegBytes);
    }
    QStringList marked;
    QStringList good;
    for (int i = 0; i < Pictures; ++i) {
        marked.append(dir.filePath(QStringLiteral("marked/%1.mis").arg(i, 2, 10, QChar('0'))));
        good.append(dir.filePath(QStringLiteral("good/%1.mis").arg(i, 2, 10, QChar('0'))));
        QDir().mkpath(dir.filePath(QStringLiteral("marked")));
        QDir().mkpath(dir.filePath(QStringLiteral("good")));
        writeFile(marked.last(), misPicture(i % 3 == 2 ? "CRSH" : "GOOD"));
        writeFile(good.last(), misPicture("GOOD"));
    }

    std::vector<std::uint8_t> pixels;
    double fullDecode = 1e30;
    for (int i = 0; i < std::max(rounds, 3); ++i)
        fullDecode = std::min(fullDecode, spibench::seconds([&] {
                                  spibench::decodeJpegRgb(jpeg.data(), jpeg.size(), pixels);
                                  return true;
                              }));

    void* jpegPlugin = ::dlopen(SORTEKA_BENCH_JPEG_SPI, RTLD_NOW | RTLD_LOCAL);
    const auto getPictureScaled = reinterpret_cast<SpiGetPictureScaledFunc>(
        jpegPlugin ? ::dlsym(jpegPlugin, "GetPictureScaled") : nullptr);
    double scaledDecode = 0;
    if (getPictureScaled) {
        scaledDecode = 1e30;
        for (int i = 0; i < std::max(rounds, 3); ++i)
            scaledDecode =
                std::min(scaledDecode,
                         spibench::seconds([&] { return decodeScaled(getPictureScaled, jpeg); }));
    }

    const QString jpegMask = pluginFolder(dir.filePath(QStringLiteral("spi-jpeg")),
                                          {QStringLiteral(SORTEKA_BENCH_JPEG_SPI)});
    QStringList shipped;
    for (const QFileInfo& plugin : QDir(QStringLiteral(SORTEKA_BENCH_SHIPPED_SPI_DIR))
                                       .entryInfoList({QStringLiteral("*.spi")}))
        shipped.append(plugin.filePath());
    const QString shippedMask = pluginFolder(dir.filePath(QStringLiteral("spi-shipped")), shipped);
    const QString recoveryMask = pluginFolder(dir.filePath(QStringLiteral("spi-recovery")),
                                              shipped + QStringList{SORTEKA_BENCH_MISBEHAVING_SPI});

    double startJpeg = 1e30;
    double startShipped = 1e30;
    double burst = 1e30;
    double goodRun = 1e30;
    double crashRun = 1e30;
    double afterCrash = 1e30;
    int processes = 0;
    double decodersPeak = 0;
    double pacedMedian = 0;
    double pacedNinetieth = 0;
    for (int round = 0; round < rounds; ++round) {
        decoder::DecoderPool pool(options());
        processes = pool.processCount();
        startJpeg = std::min(startJpeg, startSeconds(pool, jpegMask));
        pool.setViewSize(ShownSize);
        const Browse photosShown = browse(pool, photos);
        if (photosShown.failed > 0) {
            std::fprintf(stderr, "%d photos failed\n", photosShown.failed);
            return 1;
        }
        burst = std::min(burst, photosShown.seconds / Pictures);
        decodersPeak = std::max(decodersPeak, spibench::childrenPeakMegabytes());
        if (round == 0) {
            std::vector<double> waits = browse(pool, photos.mid(0, PacedPictures), 1000).waits;
            std::sort(waits.begin() + 1, waits.end());
            // The first picture is asked for with nothing decoded ahead.
            pacedMedian = waits[1 + (waits.size() - 1) / 2];
            pacedNinetieth = waits[1 + (waits.size() - 1) * 9 / 10];
        }

        startShipped = std::min(startShipped, startSeconds(pool, shippedMask));
        startSeconds(pool, recoveryMask);
        goodRun = std::min(goodRun, browse(pool, good).seconds);
        const Browse crashes = browse(pool, marked);
        if (crashes.failed != Pictures / 3) {
            std::fprintf(stderr, "%d pictures failed, not %d\n", crashes.failed, Pictures / 3);
            return 1;
        }
        crashRun = std::min(crashRun, crashes.seconds);
        afterCrash = std::min(afterCrash, crashes.longestAfterFailure);
    }

    const double perCrash = (crashRun - goodRun) / (Pictures / 3);
    std::printf("\n%d decoder processes, best of %d rounds\n", processes, rounds);
    std::printf("floor: one full libjpeg-turbo decode of %d × %d      %8.1f ms\n", JpegWidth,
                JpegHeight, fullDecode * 1e3);
    if (scaledDecode > 0)
        std::printf("the plug-in's GetPictureScaled at %d × %d, in-process  %8.1f ms  %5.3f×\n",
                    ShownSize.width(), ShownSize.height(), scaledDecode * 1e3,
                    scaledDecode / fullDecode);
    std::printf(
        "burst: a picture at %d × %d, %d back to back       %8.1f ms  %5.3f× (target ≤ 0.35×)\n",
        ShownSize.width(), ShownSize.height(), Pictures, burst * 1e3, burst / fullDecode);
    std::printf("paced: a picture a second, asked for → arrived, median %8.2f ms  %5.3f×\n",
                pacedMedian * 1e3, pacedMedian / fullDecode);
    std::printf("paced: 90th percentile                               %8.2f ms  %5.3f×\n",
                pacedNinetieth * 1e3, pacedNinetieth / fullDecode);
    std::printf("burst: peak resident memory of the decoders together  %8.1f MB\n", decodersPeak);
    std::printf("recovery: extra time per crash                        %8.1f ms  %5.3f× (target ≤ "
                "100 ms)\n",
                perCrash * 1e3, perCrash / fullDecode);
    std::printf("recovery: longest wait after a crash                  %8.1f ms  %5.3f×\n",
                afterCrash * 1e3, afterCrash / fullDecode);
    std::printf("start: catalogue, JPEG plug-in only                   %8.1f ms  %5.3f×\n",
                startJpeg * 1e3, startJpeg / fullDecode);
    std::printf("start: catalogue, %2lld plug-ins of the build tree      %8.1f ms  %5.3f×\n",
                static_cast<long long>(shipped.size()), startShipped * 1e3,
                startShipped / fullDecode);
    return 0;
}
