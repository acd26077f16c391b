#include "bench/sorting/UndoBench.h"

#include "bench/sorting/RecordingPrompter.h"
#include "core/Journal.h"
#include "core/SortAction.h"
#include "core/Undo.h"
#include "platform/FileOps.h"
#include "settings/SettingsSchema.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <stdexcept>

namespace {

struct BenchError : std::runtime_error {
    explicit BenchError(const QString& what) : std::runtime_error(what.toStdString()) {}
};

// A journal of `records` moves as a long use leaves it, written at once.
void writeJournal(const QString& path, int records) {
    QByteArray bytes = journal::FileMagic.toByteArray();
    for (int i = 1; i <= records; ++i) {
        JournalEntry e;
        e.id = quint64(i);
        e.number = 1 + i % 9;
        e.method = i % 3 ? SortMethod::Move : SortMethod::Copy;
        e.source = QStringLiteral("/home/someone/Pictures/2024-08 旅行/IMG_%1.JPG").arg(i);
        e.destination = QStringLiteral("/home/someone/Pictures/整理済み/風景/IMG_%1.JPG").arg(i);
        e.written = {2049, quint64(1'000'000 + i), 7'340'032 + i, 1'723'000'000'000'000'000 + i};
        bytes += journal::actionRecord(e);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw BenchError("cannot write " + path);
}

std::vector<RatioCheck> run(const UndoOptions& options, std::ostream& out) {
    QTemporaryDir work(options.cacheFolder + QStringLiteral("/work-XXXXXX"));
    if (!work.isValid())
        throw BenchError("cannot make a work folder in " + options.cacheFolder);
    const QString journalPath = work.filePath(QStringLiteral("journal"));
    writeJournal(journalPath, options.records);

    std::vector<Timing> reads;
    std::vector<Timing> opens;
    for (int i = 0; i < options.repeats; ++i) {
        const Stopwatch reading;
        QFile file(journalPath);
        if (!file.open(QIODevice::ReadOnly) || file.readAll().isEmpty())
            throw BenchError("cannot read " + journalPath);
        reads.push_back(reading.elapsed());
        const Stopwatch opening;
        const Journal journal(journalPath);
        opens.push_back(opening.elapsed());
        if (int(journal.entries().size()) != options.records)
            throw BenchError(
                QStringLiteral("the journal read back %1 records").arg(journal.entries().size()));
    }

    // A picture moved and its move undone, again and again, after the history above.
    const QString source = work.filePath(QStringLiteral("source"));
    const QString sorted = work.filePath(QStringLiteral("sorted"));
    QDir().mkpath(source);
    QDir().mkpath(sorted);
    QFile picture(source + QStringLiteral("/IMG_0001.JPG"));
    if (!picture.open(QIODevice::WriteOnly) || picture.write(QByteArray(8 << 20, 'j')) != 8 << 20)
        throw BenchError("cannot write " + picture.fileName());
    picture.close();
    Journal journal(journalPath, options.records + options.repeats + 1);
    RecordingPrompter prompter;
    SortAction action(prompter, [] { return int(opConfirm); });
    action.setJournal(&journal);
    Undo undo(journal);
    std::vector<Timing> renames;
    std::vector<Timing> undos;
    for (int i = 0; i < options.repeats; ++i) {
        const QString there = sorted + QStringLiteral("/IMG_0001.JPG");
        const QString here = source + QStringLiteral("/IMG_0001.JPG");
        const Stopwatch renaming;
        if (!platform::moveByRenaming(here, there, false))
            throw BenchError("cannot rename " + here);
        if (!platform::moveByRenaming(there, here, false))
            throw BenchError("cannot rename " + there);
        renames.push_back(renaming.elapsed() / 2);

        if (!action.run({1, sorted, source + u'/', QStringLiteral("IMG_0001.JPG"), true}).done)
            throw BenchError("the move failed: " + prompter.messages.join(" / "));
        const Stopwatch undoing;
        const UndoOutcome outcome = undo.undoLast();
        undos.push_back(undoing.elapsed());
        if (outcome.state != UndoOutcome::State::Done || !outcome.problem.isEmpty())
            throw BenchError("the undo failed: " + outcome.problem);
    }

    BenchTable table(QStringLiteral("The undo journal: %1 records (%2 KB), median of %3")
                         .arg(options.records)
                         .arg(QFileInfo(journalPath).size() / 1024)
                         .arg(options.repeats));
    const Timing readFloor = median(reads);
    table.addTime(QStringLiteral("floor: reading the journal's bytes"), readFloor);
    std::vector<RatioCheck> checks;
    checks.push_back(table.addLimited(QStringLiteral("opening the journal"), median(opens),
                                      readFloor, options.openLimit));
    const Timing renameFloor = median(renames);
    table.addTime(QStringLiteral("floor: one rename, folders flushed"), renameFloor);
    checks.push_back(table.addLimited(QStringLiteral("undo of the last move"), median(undos),
                                      renameFloor, options.undoLimit));
    table.print(out);
    return checks;
}

} // namespace

std::optional<std::vector<RatioCheck>> runUndoBench(const UndoOptions& options, std::ostream& out) {
    try {
        return run(options, out);
    } catch (const std::exception& error) {
        out << "Undo benchmark failed: " << error.what() << std::endl;
        return std::nullopt;
    }
}
