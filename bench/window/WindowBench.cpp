// Times the sorter's window as a person uses it, on a folder of 24-megapixel
// JPEGs, against libjpeg-turbo decoding one of them in full on one core in the
// same run:
//
//   paced   Space a second after the last picture was painted, through the
//           window's own key handling: key -> new picture painted, median and
//           90th percentile / one full decode        (target ≤ 0.05 / 0.15)
//   burst   Space again as soon as each picture is painted: time a picture /
//           one full decode                          (target ≤ 0.35)
//   large   paced again in the large view at 1920 × 1080: median / the
//           pane's median                            (target ≤ 2)
//   memory  peak resident memory of the window's process, and of it and its
//           decoders together                        (target ≤ 150 / 350 MB)
//   start   the program started on a folder of one such picture until that
//           picture is painted and it quits, against `feh` showing the same
//           picture and quitting (needs an X display and feh)   (target ≤ 1.0)
//
// Usage: window_bench [pictures]      (60 by default; paced uses the first 11)
// The window shows on the X display when DISPLAY is set, else off screen.

#include "JpegFloor.h"
#include "JpegWriter.h"
#include "PaintWatch.h"
#include "PluginBench.h"
#include "ProcessMemory.h"
#include "app/LargeView.h"
#include "app/Main.h"
#include "app/Startup.h"
#include "bench/sorting/RecordingPrompter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int JpegWidth = 6000;
constexpr int JpegHeight = 4000;
constexpr int PacedPictures = 11;
constexpr int StartRuns = 7;
const char* const StartChildSwitch = "--start-child";
const char* const BrowseChildSwitch = "--browse-child";

void writeFile(const QString& path, const std::vector<std::uint8_t>& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) !=
            qint64(bytes.size())) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

double percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const auto index = std::size_t(share * double(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// The program as its executable runs it, quitting once the first picture of
// the folder on its command line is painted.
int startChild(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<PaintWatch> watch;
    return runSorteka(argc - 1, argv + 1, [&](TfrmMain& window) {
        watch = std::make_unique<PaintWatch>(*window.imgPreview, clock);
        watch->onPainted = [] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); };
    });
}

// Wall time of `program arguments` until it exits, best and median of StartRuns
// runs alternating with the other command.
struct StartTimes {
    std::vector<double> sorter;
    std::vector<double> feh;
};

double runSeconds(const QString& program, const QStringList& arguments) {
    QElapsedTimer clock;
    clock.start();
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s did not finish cleanly\n", qPrintable(program));
        std::exit(1);
    }
    return double(clock.nsecsElapsed()) / 1e9;
}

void benchStart(const QString& folder, const QString& picture, double fullDecode) {
    const QString feh = QStandardPaths::findExecutable(QStringLiteral("feh"));
    if (qEnvironmentVariableIsEmpty("DISPLAY") || feh.isEmpty()) {
        std::printf("start: skipped (needs an X display and feh)\n");
        return;
    }
    const QString self = QCoreApplication::applicationFilePath();
    StartTimes times;
    std::fflush(stdout);
    for (int i = 0; i <= StartRuns; ++i) {
        const double sorter = runSeconds(self, {QString::fromLatin1(StartChildSwitch), folder});
        // feh leaves after showing the picture for 10 ms.
        const double viewer =
            runSeconds(feh, {QStringLiteral("-D"), QStringLiteral("0.01"),
                             QStringLiteral("--on-last-slide"), QStringLiteral("quit"), picture});
        if (i == 0)
            continue; // warms the disk cache and the font cache
        times.sorter.push_back(sorter);
        times.feh.push_back(viewer);
    }
    const double sorter = percentile(times.sorter, 0.5);
    const double viewer = percentile(times.feh, 0.5);
    std::printf("start to first picture painted, median of %d: sorteka %.0f ms (best %.0f), feh "
                "%.0f ms (best %.0f): ratio %.2f (target ≤ 1.0); a full decode %.0f ms\n",
                StartRuns, sorter * 1e3,
                *std::min_element(times.sorter.begin(), times.sorter.end()) * 1e3, viewer * 1e3,
                *std::min_element(times.feh.begin(), times.feh.end()) * 1e3, sorter / viewer,
                fullDecode * 1e3);
}

void pause(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Presses Space in the window and waits for the next picture to be painted;
// seconds from the press to the end of the paint.
double nextPicture(QWindow& target, PaintWatch& watch, const QElapsedTimer& clock) {
    watch.arm();
    const qint64 pressed = clock.nsecsElapsed();
    QTest::keyClick(&target, Qt::Key_Space);
    if (!watch.waitForPaint()) {
        std::fprintf(stderr, "no picture painted after a key\n");
        std::exit(1);
    }
    return double(watch.paintedAt() - pressed) / 1e9;
}

struct Paced {
    std::vector<double> times;
    double median = 0;
    double p90 = 0;
};

// Opens `folder`, then presses Space in `target` a second after each picture
// was painted, PacedPictures - 1 times.
Paced paced(TfrmMain& window, QWindow& target, PaintWatch& watch, const QString& folder,
            const QElapsedTimer& clock) {
    watch.arm();
    window.OpenDirectory(folder);
    watch.waitForPaint();
    Paced outcome;
    for (int i = 1; i < PacedPictures; ++i) {
        pause(1000);
        outcome.times.push_back(nextPicture(target, watch, clock));
    }
    outcome.median = percentile(outcome.times, 0.5);
    outcome.p90 = percentile(outcome.times, 0.9);
    return outcome;
}

// Paced and burst browsing in the window, then its memory; prints the figures.
int browseChild(const QString& folder, int pictures, double fullDecode) {
    QElapsedTimer clock;
    clock.start();
    RecordingPrompter prompter;
    TfrmMain window(prompter);
    PaintWatch watch(*window.imgPreview, clock);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window never showed\n");
        return 1;
    }
    QApplication::setActiveWindow(&window);
    window.lvDirList->setFocus();

    // Paced: the person looks at each picture for a second.
    const Paced pane = paced(window, *window.windowHandle(), watch, folder, clock);
    std::printf("paced, key -> painted over %zu keys a second apart: median %.1f ms, 90th "
                "percentile %.1f ms: ratios %.3f / %.3f (target ≤ 0.05 / 0.15)\n",
                pane.times.size(), pane.median * 1e3, pane.p90 * 1e3, pane.median / fullDecode,
                pane.p90 / fullDecode);

    // Burst: the next key as soon as the picture shows.
    watch.arm();
    window.OpenDirectory(folder);
    watch.waitForPaint();
    const qint64 burstStart = clock.nsecsElapsed();
    const int shown = pictures - 1;
    for (int i = 0; i < shown; ++i)
        nextPicture(*window.windowHandle(), watch, clock);
    const double perPicture = double(clock.nsecsElapsed() - burstStart) / 1e9 / shown;
    std::printf("burst, %d keys back to back: %.1f ms a picture: ratio %.3f (target ≤ 0.35)\n",
                shown, perPicture * 1e3, perPicture / fullDecode);

    // The same in the large view at 1920 × 1080, the next pictures decoded at its size.
    window.ShowLargeView();
    TfrmLargeView& large = *window.largeView();
    large.resize(1920, 1080);
    if (!QTest::qWaitForWindowExposed(&large)) {
        std::fprintf(stderr, "the large view never showed\n");
        return 1;
    }
    pause(500); // the decoders hear of the new size
    PaintWatch largeWatch(*large.preview(), clock);
    const Paced view = paced(window, *large.windowHandle(), largeWatch, folder, clock);
    std::printf("large view at %d × %d, paced: median %.1f ms, 90th percentile %.1f ms: %.2f× "
                "the pane's median (target ≤ 2)\n",
                large.width(), large.height(), view.median * 1e3, view.p90 * 1e3,
                view.median / pane.median);
    const double own = spibench::ownPeakMegabytes();
    const double decoders = spibench::childrenPeakMegabytes();
    std::printf("memory, peak resident: window %.0f MB (target ≤ 150), with its decoders %.0f MB "
                "(target ≤ 350)\n",
                own, own + decoders);
    if (!prompter.messages.isEmpty())
        std::printf("messages: %s\n", qPrintable(prompter.messages.join(QStringLiteral(" | "))));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], StartChildSwitch) == 0)
        return startChild(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], BrowseChildSwitch) == 0) {
        QApplication application(argc, argv);
        return browseChild(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]), std::atof(argv[4]));
    }
    // The program's settings and caches stay in a folder of this run.
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
    qputenv("XDG_STATE_HOME", QFile::encodeName(home.filePath(QStringLiteral(".state"))));
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int pictures = argc > 1 ? std::max(PacedPictures + 1, std::atoi(argv[1])) : 60;

    std::printf("writing a %d × %d JPEG…\n", JpegWidth, JpegHeight);
    const std::vector<std::uint8_t> rgb = spibench::photoLike(JpegWidth, JpegHeight, 7);
    const std::vector<std::uint8_t> jpeg = jpegtest::writeJpeg(
        JpegWidth, JpegHeight, spibench::samplesOf(rgb, JpegWidth), {.quality = 90});
    const QString folder = home.filePath(QStringLiteral("photos"));
    const QString single = home.filePath(QStringLiteral("one"));
    QDir().mkpath(folder);
    QDir().mkpath(single);
    for (int i = 0; i < pictures; ++i)
        writeFile(folder + QStringLiteral("/IMG_%1.jpg").arg(i, 4, 10, QChar('0')), jpeg);
    writeFile(single + QStringLiteral("/IMG_0000.jpg"), jpeg);

    std::vector<std::uint8_t> decoded;
    double fullDecode = 1e30;
    for (int i = 0; i < 3; ++i)
        fullDecode = std::min(fullDecode, spibench::seconds([&] {
                                  spibench::decodeJpegRgb(jpeg.data(), jpeg.size(), decoded);
                                  return true;
                              }));
    decoded = {};
    std::printf("floor: libjpeg-turbo, one full decode on one core: %.1f ms\n", fullDecode * 1e3);

    benchStart(single, single + QStringLiteral("/IMG_0000.jpg"), fullDecode);

    // The window in a process of its own, so its memory is the window's alone.
    std::fflush(stdout);
    QProcess browsing;
    browsing.setProcessChannelMode(QProcess::ForwardedChannels);
    browsing.start(QCoreApplication::applicationFilePath(),
                   {QString::fromLatin1(BrowseChildSwitch), folder, QString::number(pictures),
                    QString::number(fullDecode)});
    browsing.waitForFinished(-1);
    return browsing.exitCode();
}
