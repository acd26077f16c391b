// Benchmarks of the main job: sorting large pictures through the keys, moving
// them within one file system, marking the destinations that already hold the
// picture's name, opening a folder of many files none of which is a
// picture, and the undo journal. Each prints its times and the ratio to floors measured in the same
// run.
//
// Exit status: 0 when every target is met, 2 when one is missed, 1 when a run
// went wrong.

#include "bench/sorting/BenchEnvironment.h"
#include "bench/sorting/ClashBench.h"
#include "bench/sorting/MoveBench.h"
#include "bench/sorting/OpeningBench.h"
#include "bench/sorting/SortingBench.h"
#include "bench/sorting/UndoBench.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <iostream>

int main(int argc, char** argv) {
    const BenchEnvironment environment;
    if (!environment.isValid())
        return 1;
    QApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Speed of sorting and of opening folders"));
    parser.addHelpOption();
    const QCommandLineOption cacheOption(
        QStringLiteral("cache"), QStringLiteral("Folder for generated test data."),
        QStringLiteral("folder"), QStringLiteral(SORTEKA_BENCH_CACHE_DIR));
    const QCommandLineOption picturesOption(QStringLiteral("pictures"),
                                            QStringLiteral("Pictures to sort (200)."),
                                            QStringLiteral("count"), QStringLiteral("200"));
    const QCommandLineOption filesOption(QStringLiteral("files"),
                                         QStringLiteral("Files in the folder to open (100000)."),
                                         QStringLiteral("count"), QStringLiteral("100000"));
    const QCommandLineOption onlyOption(
        QStringLiteral("only"),
        QStringLiteral("Run one benchmark: sorting, moving, clash, opening or undo."),
        QStringLiteral("name"));
    parser.addOptions({cacheOption, picturesOption, filesOption, onlyOption});
    parser.process(app);

    const QString cache = QDir(parser.value(cacheOption)).absolutePath();
    const QString only = parser.value(onlyOption);
    std::cout << "Machine: " << machineDescription().toStdString() << "; Qt " << qVersion()
              << std::endl;

    bool broken = false;
    bool missed = false;
    if (only.isEmpty() || only == u"sorting") {
        SortingOptions options;
        options.cacheFolder = cache;
        options.pictures = parser.value(picturesOption).toInt();
        const auto checks = runSortingBench(options, std::cout);
        broken |= !checks;
        if (checks)
            for (const RatioCheck& check : *checks)
                missed |= !check.met();
    }
    if (only.isEmpty() || only == u"moving") {
        MoveOptions options;
        options.cacheFolder = cache;
        options.pictures = parser.value(picturesOption).toInt();
        const auto check = runMoveBench(options, std::cout);
        broken |= !check;
        missed |= check && !check->met();
    }
    if (only.isEmpty() || only == u"clash") {
        ClashOptions options;
        options.cacheFolder = cache;
        const auto check = runClashBench(options, std::cout);
        broken |= !check;
        missed |= check && !check->met();
    }
    if (only.isEmpty() || only == u"opening") {
        OpeningOptions options;
        options.cacheFolder = cache;
        options.files = parser.value(filesOption).toInt();
        const auto check = runOpeningBench(options, std::cout);
        broken |= !check;
        missed |= check && !check->met();
    }
    if (only.isEmpty() || only == u"undo") {
        UndoOptions options;
        options.cacheFolder = cache;
        const auto checks = runUndoBench(options, std::cout);
        broken |= !checks;
        if (checks)
            for (const RatioCheck& check : *checks)
                missed |= !check.met();
    }
    return broken ? 1 : missed ? 2 : 0;
}
