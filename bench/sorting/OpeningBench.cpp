#include "bench/sorting/OpeningBench.h"

#include "app/Main.h"
#include "bench/sorting/RecordingPrompter.h"
#include "platform/DirectoryEnumeration.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <stdexcept>
#include <sys/resource.h>
#include <vector>

namespace {

struct BenchError : std::runtime_error {
    explicit BenchError(const QString& what) : std::runtime_error(what.toStdString()) {}
};

// Processor time of the children this process has waited for.
double childrenSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

int countEntries(const QString& folder) {
    int count = 0;
    auto enumeration =
        platform::DirectoryEnumeration::open(folder, platform::AttributeRule::filesOnly());
    while (enumeration && enumeration->next())
        ++count;
    return count;
}

// Makes sure `folder` holds exactly `count` empty text files.
void ensureTextFolder(const QString& folder, int count, std::ostream& progress) {
    if (QFileInfo(folder).isDir() && countEntries(folder) == count &&
        QDir(folder).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty())
        return;
    progress << "Writing " << count << " empty files into " << folder.toStdString() << " ..."
             << std::endl;
    QDir(folder).removeRecursively();
    if (!QDir().mkpath(folder))
        throw BenchError("cannot make " + folder);
    for (int i = 0; i < count; ++i) {
        QFile file(folder + QStringLiteral("/note-%1.txt").arg(i, 6, 10, QChar(u'0')));
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw BenchError("cannot write " + file.fileName());
    }
}

QString shellQuoted(QString text) {
    return u'\'' + text.replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

Timing timeFind(const QString& folder, int expected) {
    QProcess process;
    const double childrenBefore = childrenSeconds();
    const Stopwatch stopwatch;
    process.start(QStringLiteral("sh"),
                  {QStringLiteral("-c"),
                   QStringLiteral("find %1 -maxdepth 1 -type f | wc -l").arg(shellQuoted(folder))});
    if (!process.waitForFinished(-1))
        throw BenchError("find did not run");
    // The work is done by the shell's children; this process only waits.
    const Timing time{stopwatch.elapsed().wall, childrenSeconds() - childrenBefore};
    const QByteArray answer = process.readAllStandardOutput().trimmed();
    if (answer.toInt() != expected)
        throw BenchError("find counted " + QString::fromUtf8(answer));
    return time;
}

Timing timeOpen(TfrmMain& window, RecordingPrompter& prompter, const QString& folder) {
    prompter.messages.clear();
    const Stopwatch stopwatch;
    window.OpenDirectory(folder);
    QCoreApplication::processEvents();
    const Timing time = stopwatch.elapsed();
    // Nothing loads, so the search ends with the warning that nothing could be read.
    if (prompter.messages != QStringList{PictureBrowser::NothingReadableMessage} ||
        window.browser().searchState() != PictureBrowser::SearchState::None)
        throw BenchError("the search did not end as expected: " + prompter.messages.join(" / "));
    return time;
}

RatioCheck run(const OpeningOptions& options, std::ostream& out) {
    const QString folder =
        QStringLiteral("%1/non-pictures-%2").arg(options.cacheFolder).arg(options.files);
    ensureTextFolder(folder, options.files, out);

    RecordingPrompter prompter;
    TfrmMain window(prompter);
    window.show();
    QCoreApplication::processEvents();

    out << "Opening the folder of " << options.files << " files ..." << std::endl;
    // One untimed round of each fills the kernel's directory caches.
    (void)timeFind(folder, options.files);
    (void)timeOpen(window, prompter, folder);
    std::vector<Timing> find;
    std::vector<Timing> open;
    for (int i = 0; i < options.repeats; ++i) {
        find.push_back(timeFind(folder, options.files));
        open.push_back(timeOpen(window, prompter, folder));
    }

    BenchTable table(QStringLiteral("Opening a folder of %1 files, none a picture, to the end of "
                                    "the search (median of %2)")
                         .arg(options.files)
                         .arg(options.repeats));
    const Timing floor = median(find);
    table.addTime(QStringLiteral("find -maxdepth 1 -type f | wc -l"), floor);
    const RatioCheck check = table.addCompared(QStringLiteral("OpenDirectory to the end"),
                                               median(open), floor, options.target);
    table.print(out);
    return check;
}

} // namespace

std::optional<RatioCheck> runOpeningBench(const OpeningOptions& options, std::ostream& out) {
    try {
        return run(options, out);
    } catch (const std::exception& error) {
        out << "Opening benchmark failed: " << error.what() << std::endl;
        return std::nullopt;
    }
}
