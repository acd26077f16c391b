#include "bench/sorting/ClashBench.h"

#include "app/ClashMarks.h"
#include "app/ToolbarArt.h"
#include "core/ClashCheck.h"
#include "platform/NativePath.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QToolBar>
#include <QTreeWidget>
#include <array>
#include <iomanip>
#include <stdexcept>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

struct BenchError : std::runtime_error {
    explicit BenchError(const QString& what) : std::runtime_error(what.toStdString()) {}
};

QString nameOf(int i) {
    return QStringLiteral("photo-%1.jpg").arg(i, 5, 10, QChar(u'0'));
}

QByteArray pictureBytes(int i, bool differs) {
    QByteArray bytes(4096, char(i & 0x7f));
    if (differs)
        bytes[bytes.size() - 1] = '!';
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw BenchError("cannot write " + path);
}

// Destination k holds every name of k's parity below twice the count, so each
// picture finds its name in four or five of the nine; most are empty files,
// the pictures' names have a picture's size, the same bytes in half of them.
void ensureFolders(const QString& root, const ClashOptions& options, std::ostream& progress) {
    const QString done = root + "/complete";
    if (QFileInfo::exists(done))
        return;
    progress << "Writing 9 destinations of " << options.filesPerDestination << " files and "
             << options.pictures << " pictures into " << root.toStdString() << " ..." << std::endl;
    QDir(root).removeRecursively();
    if (!QDir().mkpath(root + "/source"))
        throw BenchError("cannot make " + root);
    for (int i = 0; i < options.pictures; ++i)
        writeFile(root + "/source/" + nameOf(i), pictureBytes(i, false));
    for (int k = 1; k <= DestinationCount; ++k) {
        const QString folder = root + QStringLiteral("/d%1/").arg(k);
        if (!QDir().mkpath(folder))
            throw BenchError("cannot make " + folder);
        for (int n = 0; n < options.filesPerDestination; ++n) {
            const int i = 2 * n + k % 2;
            writeFile(folder + nameOf(i),
                      i < options.pictures ? pictureBytes(i, (i + k) % 4 == 1) : QByteArray());
        }
    }
    writeFile(done, {});
}

// Waits for the comparisons of the picture marked last, so each round starts
// with the thread idle, as after a person has looked at the picture.
void settle(const ClashMarks& marks) {
    while (marks.check().comparing())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
}

RatioCheck run(const ClashOptions& options, std::ostream& out) {
    const QString root =
        QStringLiteral("%1/clash-%2x9").arg(options.cacheFolder).arg(options.filesPerDestination);
    ensureFolders(root, options, out);
    TDestinations destinations;
    QStringList folders;
    for (int k = 1; k <= DestinationCount; ++k) {
        destinations[size_t(k - 1)] = {k, QString(), root + QStringLiteral("/d%1").arg(k)};
        folders.append(destinations[size_t(k - 1)].Directory);
    }

    // The window's list and buttons, as they are built there.
    QWidget window;
    auto* list = new QTreeWidget(&window);
    list->setHeaderLabels(
        {QStringLiteral("No."), QStringLiteral("項目"), QStringLiteral("ディレクトリ")});
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->header()->setStretchLastSection(false);
    for (const auto& [column, width] : {std::pair{0, 30}, {1, 120}, {2, 220}})
        list->setColumnWidth(column, width);
    auto* toolBar = new QToolBar(&window);
    std::array<QAction*, DestinationCount> buttons{};
    for (int k = 1; k <= DestinationCount; ++k) {
        new QTreeWidgetItem(list, {QString::number(k), QString(), folders[k - 1]});
        buttons[size_t(k - 1)] = toolBar->addAction(digitIcon(k), QString());
        buttons[size_t(k - 1)]->setToolTip(QStringLiteral("No.%1の設定実行").arg(k));
    }
    toolBar->move(0, 160);
    window.resize(400, 200);
    window.show();
    ClashMarks marks(list, buttons);
    ClashCheck check;

    out << "Marking " << options.pictures << " pictures against 9 destinations of "
        << options.filesPerDestination << " files ..." << std::endl;
    std::vector<Timing> floor;
    std::vector<Timing> checkOnly;
    std::vector<Timing> marked;
    int clashes = 0;
    // One untimed round fills the kernel's directory caches.
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < options.pictures; ++i) {
            const QString picture = root + "/source/" + nameOf(i);
            {
                const Stopwatch stopwatch;
                for (const QString& folder : std::as_const(folders)) {
                    struct stat st {};
                    (void)::stat(platform::encodePath(folder + u'/' + nameOf(i)).constData(), &st);
                }
                floor.push_back(stopwatch.elapsed());
            }
            {
                const Stopwatch stopwatch;
                check.check(picture, folders);
                checkOnly.push_back(stopwatch.elapsed());
            }
            check.clear();
            {
                const Stopwatch stopwatch;
                marks.clear();
                marks.show(picture, destinations);
                marked.push_back(stopwatch.elapsed());
            }
            clashes += int(marks.check().clashes().size());
            settle(marks);
        }
        if (round == 0) {
            floor.clear();
            checkOnly.clear();
            marked.clear();
            clashes = 0;
        }
    }
    if (clashes < 4 * options.pictures)
        throw BenchError(QStringLiteral("only %1 clashes found").arg(clashes));

    BenchTable table(QStringLiteral("Clash marks per picture, 9 destinations of %1 files, %2 "
                                    "pictures (%3 clashes; median)")
                         .arg(options.filesPerDestination)
                         .arg(options.pictures)
                         .arg(clashes));
    const Timing floorTime = median(floor);
    table.addTime(QStringLiteral("9 stat() calls (floor)"), floorTime);
    const Timing checkTime = median(checkOnly);
    table.addTime(QStringLiteral("ClashCheck::check"), checkTime);
    const Timing markedTime = median(marked);
    const Timing budget{options.budgetSeconds, options.budgetSeconds};
    table.addTime(QStringLiteral("budget"), budget);
    const RatioCheck result = table.addCompared(QStringLiteral("marks cleared and set, vs budget"),
                                                markedTime, budget, 1.0);
    table.print(out);
    out << "  against the floor (clock): check " << std::fixed << std::setprecision(2)
        << ratioOf(checkTime.wall, floorTime.wall) << "x, marks "
        << ratioOf(markedTime.wall, floorTime.wall) << "x" << std::endl;
    return result;
}

} // namespace

std::optional<RatioCheck> runClashBench(const ClashOptions& options, std::ostream& out) {
    try {
        return run(options, out);
    } catch (const std::exception& error) {
        out << "Clash benchmark failed: " << error.what() << std::endl;
        return std::nullopt;
    }
}
