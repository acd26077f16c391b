#include "bench/sorting/SortingBench.h"

#include "app/Main.h"
#include "bench/sorting/PhotoGenerator.h"
#include "bench/sorting/RecordingPrompter.h"
#include "graphics/PicturePreview.h"
#include "platform/FileOps.h"
#include "settings/RegIniFile.h"
#include "settings/SettingsSchema.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <stdexcept>

namespace {

struct BenchError : std::runtime_error {
    explicit BenchError(const QString& what) : std::runtime_error(what.toStdString()) {}
};

// Reads every file once, so that each timed pass starts from the same page cache.
void warm(const QStringList& paths) {
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (const QString& path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw BenchError("cannot read " + path);
        while (file.read(buffer.data(), buffer.size()) > 0) {
        }
    }
}

QStringList filesIn(const QString& folder) {
    QStringList paths;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name))
        paths.append(folder + u'/' + name);
    return paths;
}

void expectFileCount(const QString& folder, qsizetype count) {
    const qsizetype found = filesIn(folder).size();
    if (found != count)
        throw BenchError(
            QStringLiteral("%1 holds %2 files instead of %3").arg(folder).arg(found).arg(count));
}

struct Floors {
    Timing readAndScale;
    Timing copy;
};

// Adds the time of the least any sorter must do for one picture: read it with
// Qt's reader, convert it to 32 bits and scale it smoothly to the pane, and copy
// the file durably into `scratch`. The copies stay until the run ends, as those
// of a copy run do.
void addFloors(const QString& picture, QSize pane, const QString& scratch, Floors& floors) {
    const Stopwatch reading;
    QImageReader reader(picture);
    const QImage scaled = reader.read()
                              .convertToFormat(QImage::Format_RGB32)
                              .scaled(pane, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    floors.readAndScale += reading.elapsed();
    if (scaled.isNull())
        throw BenchError("Qt's reader cannot read " + picture);

    const Stopwatch copying;
    if (!platform::copyFileReplacing(picture, scratch + u'/' + QFileInfo(picture).fileName()))
        throw BenchError("cannot copy " + picture);
    floors.copy += copying.elapsed();
}

// A typed digit, delivered like a real key to the control that has the focus.
void pressDigit(TfrmMain& window, char digit) {
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr || target->window() != &window)
        target = &window;
    const QString text(QChar::fromLatin1(digit));
    const auto key = static_cast<Qt::Key>(Qt::Key_0 + (digit - '0'));
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

// Lets the window paint what the last step changed, as the event loop would.
void settle(TfrmMain& window, int& unpainted) {
    QCoreApplication::processEvents();
    if (!window.browser().CurrentFile.isEmpty() && window.imgPreview->scaleCount() == 0)
        ++unpainted;
}

struct SortingRun {
    Timing sorting; // opening the folder and every key
    Floors floors;  // measured between the keys, under the same load
};

// Opens `source` and presses "1" once per picture, timing only that. Between
// the keys, the floors are measured on `pictures`, so that both see the same
// load of a shared machine.
SortingRun sortThroughKeys(TfrmMain& window, RecordingPrompter& prompter, const QString& source,
                           const QStringList& pictures, const QString& scratch) {
    prompter.messages.clear();
    QDir(scratch).removeRecursively();
    QDir().mkpath(scratch);
    warm(filesIn(source) + pictures);
    const QSize pane = window.imgPreview->size();

    SortingRun run;
    int unpainted = 0;
    const Stopwatch opening;
    window.OpenDirectory(source);
    settle(window, unpainted);
    run.sorting += opening.elapsed();
    for (const QString& picture : pictures) {
        addFloors(picture, pane, scratch, run.floors);
        const Stopwatch key;
        pressDigit(window, '1');
        settle(window, unpainted);
        run.sorting += key.elapsed();
    }
    QDir(scratch).removeRecursively();

    if (!prompter.messages.isEmpty())
        throw BenchError("the program said: " + prompter.messages.join(" / "));
    if (!window.browser().CurrentFile.isEmpty())
        throw BenchError("a picture was still current after the last key");
    if (unpainted != 0)
        throw BenchError(QStringLiteral("%1 pictures were never drawn").arg(unpainted));
    return run;
}

void setDestinationOne(TfrmMain* window, const QString& folder) {
    {
        TRegIniFile store(settings::KeyPath);
        store.WriteString(settings::sectionOfDestination(1), settings::ValueDirectory, folder);
    }
    if (window != nullptr)
        window->LoadDirList();
}

// The colour depth recorded in a BMP file's header.
int bmpBitsPerPixel(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray head = file.read(30);
    return head.size() < 30 ? 0 : static_cast<uchar>(head[28]) | static_cast<uchar>(head[29]) << 8;
}

std::vector<RatioCheck> run(const SortingOptions& options, std::ostream& out) {
    const int count = options.pictures;
    const QString photos = QStringLiteral("%1/photos-%2x%3-%4")
                               .arg(options.cacheFolder)
                               .arg(options.pictureSize.width())
                               .arg(options.pictureSize.height())
                               .arg(count);
    const QStringList pictures = bench::ensurePhotoFolder(photos, count, options.pictureSize, out);
    if (pictures.size() != count)
        throw BenchError("cannot write the test pictures into " + photos);
    expectFileCount(photos, count);

    // Left over from a run that was killed; each holds gigabytes.
    for (const QString& stale :
         QDir(options.cacheFolder).entryList({QStringLiteral("work-*")}, QDir::Dirs))
        QDir(options.cacheFolder + u'/' + stale).removeRecursively();
    QTemporaryDir work(options.cacheFolder + QStringLiteral("/work-XXXXXX"));
    if (!work.isValid())
        throw BenchError("cannot make a work folder in " + options.cacheFolder);
    const QString copied = work.filePath(QStringLiteral("copied"));
    const QString moved = work.filePath(QStringLiteral("moved"));
    const QString scratch = work.filePath(QStringLiteral("floor"));
    QDir().mkpath(copied);
    QDir().mkpath(moved);

    setDestinationOne(nullptr, copied);
    RecordingPrompter prompter;
    TfrmMain window(prompter);
    window.show();
    QCoreApplication::processEvents();
    const QSize pane = window.imgPreview->size();

    out << "Copying through the keys ..." << std::endl;
    window.setMethodIndex(smCopy);
    const SortingRun copyRun = sortThroughKeys(window, prompter, photos, pictures, scratch);
    expectFileCount(copied, count);

    out << "Moving through the keys ..." << std::endl;
    setDestinationOne(&window, moved);
    window.setMethodIndex(smMove);
    const SortingRun moveRun = sortThroughKeys(window, prompter, copied, pictures, scratch);
    expectFileCount(moved, count);
    expectFileCount(copied, 0);

    const qint64 bytes = QFileInfo(pictures.front()).size();
    BenchTable table(QStringLiteral("Sorting %1 pictures of %2x%3 (%4-bit BMP, %5 MB each) into a "
                                    "%6x%7 pane, time per picture")
                         .arg(count)
                         .arg(options.pictureSize.width())
                         .arg(options.pictureSize.height())
                         .arg(bmpBitsPerPixel(pictures.front()))
                         .arg(double(bytes) / 1e6, 0, 'f', 1)
                         .arg(pane.width())
                         .arg(pane.height()));
    std::vector<RatioCheck> checks;
    for (const auto& [name, result] :
         {std::pair{QStringLiteral("copy"), copyRun}, std::pair{QStringLiteral("move"), moveRun}}) {
        const Timing readAndScale = result.floors.readAndScale / count;
        const Timing copy = result.floors.copy / count;
        table.addTime(name + QStringLiteral(" run, floor: read + 32-bit + scale"), readAndScale);
        table.addTime(name + QStringLiteral(" run, floor: durable copy"), copy);
        checks.push_back(table.addCompared(name + QStringLiteral(": open, then 1 per picture"),
                                           result.sorting / count, readAndScale + copy,
                                           options.target));
    }
    table.print(out);
    return checks;
}

} // namespace

std::optional<std::vector<RatioCheck>> runSortingBench(const SortingOptions& options,
                                                       std::ostream& out) {
    try {
        return run(options, out);
    } catch (const std::exception& error) {
        out << "Sorting benchmark failed: " << error.what() << std::endl;
        return std::nullopt;
    }
}
