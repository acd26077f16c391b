// Opening a folder of 50 000 subfolders in the directory outline and the folder
// tree, and moving through it with the arrow keys, against `ls -f DIR | wc -l`
// on the same folder timed in the same run. Opening counts until the opened
// folder has been painted; expand buttons looked up afterwards in steps are
// not waited for. The fastest and the median of several runs each.

#include "components/cdiroutl/Cdiroutl.h"
#include "components/expviewlite/ExpViewLite.h"
#include "components/folderview/SubfolderReading.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int FolderCount = 50000;
constexpr int Runs = 7;
constexpr int KeyPresses = 300;

class BenchOutline : public TCDirectoryOutline {
public:
    QString volume;

protected:
    QStringList Volumes() const override { return {volume}; }
};

class BenchTree : public TExpViewLite {
public:
    QString volume;

protected:
    QStringList volumeRoots() const override { return {volume}; }
};

double milliseconds(const std::function<void()>& work) {
    QElapsedTimer clock;
    clock.start();
    work();
    return double(clock.nsecsElapsed()) / 1e6;
}

struct Timing {
    double fastest = 0;
    double median = 0;
};

Timing timing(const std::function<double()>& run) {
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i)
        times.push_back(run());
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

// The big folder, made once and kept in the build tree's benchmark cache.
QString bigFolder(const QString& volume) {
    const QString path = volume + "/big";
    QDir dir(path);
    if (dir.exists() && dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size() == FolderCount)
        return path;
    dir.removeRecursively();
    QDir().mkpath(path);
    for (int i = 0; i < FolderCount; ++i)
        dir.mkdir(QStringLiteral("Folder %1").arg(i, 5, 10, QLatin1Char('0')));
    return path;
}

void report(const char* what, Timing ms, Timing floor, const char* target) {
    std::printf("| %s | %.1f ms | %.1f ms | %.2f× | %.2f× | %s |\n", what, ms.fastest, ms.median,
                ms.fastest / floor.fastest, ms.median / floor.median, target);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString volume = QStringLiteral(SORTEKA_BENCH_CACHE_DIR) + "/folder-widgets";
    QDir().mkpath(volume);
    const QString big = bigFolder(volume);

    const Timing floor = timing([&] {
        return milliseconds([&] {
            QProcess ls;
            ls.start("sh", {"-c", "ls -f \"$0\" | wc -l", big});
            ls.waitForFinished(-1);
        });
    });

    // The share of opening that is reading and ordering the names.
    QStringList names;
    const Timing reading =
        timing([&] { return milliseconds([&] { names = folderview::readSubfolderNames(big); }); });
    const Timing sorting = timing([&] {
        QStringList copy = names;
        return milliseconds([&] { folderview::sortFolderNames(copy); });
    });

    const Timing outlineOpen = timing([&] {
        BenchOutline outline;
        outline.volume = volume;
        QDir::setCurrent(volume);
        outline.resize(300, 400);
        outline.show();
        const int item = outline.GetChildNamed("big", TCDirectoryOutline::RootIndex);
        return milliseconds([&] {
            outline.setItemExpanded(item, true);
            outline.viewport()->repaint();
        });
    });
    const Timing treeOpen = timing([&] {
        BenchTree tree;
        tree.volume = volume;
        tree.resize(300, 400);
        tree.show();
        tree.topLevelItem(0)->setExpanded(true);
        QTreeWidgetItem* node = tree.topLevelItem(0)->child(0);
        return milliseconds([&] {
            node->setExpanded(true);
            tree.viewport()->repaint();
        });
    });

    BenchOutline outline;
    outline.volume = volume;
    QDir::setCurrent(volume);
    outline.resize(300, 400);
    outline.show();
    outline.SetDirectory(big + "/Folder 00000");
    const double outlineKey = milliseconds([&] {
                                  for (int i = 0; i < KeyPresses; ++i)
                                      QTest::keyClick(&outline, Qt::Key_Down);
                              }) /
                              KeyPresses;
    const bool outlineFollowed = outline.Directory() == big + "/Folder 00300";

    BenchTree tree;
    tree.volume = volume;
    tree.resize(300, 400);
    tree.show();
    tree.topLevelItem(0)->setExpanded(true);
    tree.topLevelItem(0)->child(0)->setExpanded(true);
    tree.setCurrentItem(tree.topLevelItem(0)->child(0)->child(0));
    const double treeKey = milliseconds([&] {
                               for (int i = 0; i < KeyPresses; ++i)
                                   QTest::keyClick(&tree, Qt::Key_Down);
                           }) /
                           KeyPresses;

    std::printf("Folder of %d subfolders; floor: ls -f DIR | wc -l = %.1f ms fastest, %.1f ms "
                "median of %d runs\n\n",
                FolderCount, floor.fastest, floor.median, Runs);
    std::printf("| run | fastest | median | ratio (fastest) | ratio (median) | target |\n"
                "|---|---|---|---|---|---|\n");
    report("reading the names", reading, floor, "");
    report("ordering the names", sorting, floor, "");
    report("outline: open the folder", outlineOpen, floor, "≤ 2×");
    report("tree: open the folder", treeOpen, floor, "≤ 2×");
    std::printf("| outline: one arrow key | %.2f ms | | | | ≤ 5 ms |\n", outlineKey);
    std::printf("| tree: one arrow key | %.2f ms | | | | ≤ 5 ms |\n", treeKey);
    if (!outlineFollowed) {
        std::printf("the outline's directory did not follow the keys\n");
        return 1;
    }
    return 0;
}
