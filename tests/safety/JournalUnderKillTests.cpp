// Sorting a folder by moves, with the undo journal, killed (SIGKILL) at random
// moments again and again: every picture and every file it met stays whole
// exactly once, every journal record matches the disk, and undoing (itself
// killed now and then) puts back every recorded move.

#include "core/Journal.h"
#include "platform/FileIdentity.h"
#include "safety/MoverProcess.h"
#include "support/TempDir.h"

#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <random>

namespace {

constexpr int Kills = 100;
constexpr int Pictures = 12;

QByteArray content(const char* kind, int n) {
    // Distinct and large enough to be more than one write.
    return QByteArray(kind) + QByteArray::number(n) + QByteArray(96 * 1024, char('a' + n));
}

QString pictureName(int n) {
    return QStringLiteral("IMG_%1.jpg").arg(n, 2, 10, QChar(u'0'));
}

// How often each content is found in the files under `folders`, the trash's
// list of what it holds aside (a kill may leave an entry of it half written).
std::map<QByteArray, int> census(const QStringList& folders) {
    std::map<QByteArray, int> found;
    for (const QString& folder : folders) {
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!path.contains(QStringLiteral("/Trash/info/")))
                ++found[readAll(path)];
        }
    }
    return found;
}

class JournalUnderKill : public ::testing::Test {
protected:
    TempDir tmp;
    std::mt19937 random{15};
    QByteArrayList expected; // every picture and every older file

    struct Folders {
        QString source, destination, home;
        [[nodiscard]] QString journal() const { return home + "/state/Varno/Sorteka/journal"; }
        [[nodiscard]] QStringList all() const { return {source, destination, home + "/data"}; }
    };

    Folders prepare(int run) {
        const QString base = QStringLiteral("run%1").arg(run);
        Folders f{tmp.mkdir(base + "/source"), tmp.mkdir(base + "/destination"),
                  tmp.file(base + "/home")};
        expected.clear();
        for (int n = 0; n < Pictures; ++n) {
            tmp.write(base + "/source/" + pictureName(n), content("picture", n));
            expected.append(content("picture", n));
            // Every other name is taken, so each clash policy meets a file.
            if (n % 2 == 0) {
                tmp.write(base + "/destination/" + pictureName(n), content("older", n));
                expected.append(content("older", n));
            }
        }
        return f;
    }

    void expectEachWholeOnce(const Folders& f) {
        const std::map<QByteArray, int> found = census(f.all());
        for (const QByteArray& bytes : expected) {
            const auto it = found.find(bytes);
            EXPECT_TRUE(it != found.end() && it->second == 1) << bytes.left(10).toStdString();
        }
        // Nothing else: no part of a file, no copy too many.
        int files = 0;
        for (const auto& [bytes, count] : found)
            files += count;
        EXPECT_EQ(files, expected.size());
    }

    // Every action not undone is on the disk as recorded, except at most
    // `cutShort` (an undo killed before it could note that it was done).
    void expectJournalMatchesDisk(const Folders& f, int cutShort = 0) {
        const Journal journal(f.journal());
        for (const JournalEntry& e : journal.entries()) {
            if (e.undone)
                continue;
            SCOPED_TRACE(e.destination.toStdString());
            if (platform::identityOf(e.destination) != e.written && cutShort-- > 0)
                continue;
            EXPECT_EQ(platform::identityOf(e.destination), e.written);
            EXPECT_FALSE(QFile::exists(e.source));
            const int n = QFileInfo(e.source).completeBaseName().mid(4).toInt();
            EXPECT_EQ(readAll(e.destination), content("picture", n));
            if (e.older == OlderFile::Numbered || e.older == OlderFile::Trashed) {
                EXPECT_EQ(readAll(e.olderPath), content("older", n));
            }
        }
    }
};

} // namespace

TEST_F(JournalUnderKill, EveryPictureStaysWholeOnceAndEveryRecordMatchesTheDisk) {
    // The kill points are spread over the length of an uncut run; only inputs.
    Folders f = prepare(0);
    const MoverRun uncut = runMover({"--sort-all", f.source, f.destination}, f.home, -1);
    ASSERT_TRUE(uncut.finished && uncut.exitCode == 0);
    ASSERT_EQ(Journal(f.journal()).entries().size(), size_t(Pictures));
    expectEachWholeOnce(f);
    expectJournalMatchesDisk(f);
    std::uniform_int_distribution<int> moment(0, int(uncut.ms * 12 / 10) + 1);

    int recorded = 0;
    int undoKills = 0;
    for (int run = 1; run <= Kills && !HasFatalFailure(); ++run) {
        f = prepare(run);
        SCOPED_TRACE("run " + std::to_string(run));
        runMover({"--sort-all", f.source, f.destination}, f.home, moment(random));
        expectEachWholeOnce(f);
        expectJournalMatchesDisk(f);
        const Journal journal(f.journal());
        recorded += int(journal.entries().size());

        // Every other run kills the undo too; the next undo finishes its work.
        if (run % 2 == 0) {
            runMover({"--undo-all"}, f.home, moment(random) / 2);
            ++undoKills;
            expectEachWholeOnce(f);
            expectJournalMatchesDisk(f, 1);
        }
        const MoverRun undo = runMover({"--undo-all"}, f.home, -1);
        EXPECT_TRUE(undo.finished && undo.exitCode == 0);
        expectEachWholeOnce(f);
        for (const JournalEntry& e : journal.entries()) {
            const int n = QFileInfo(e.source).completeBaseName().mid(4).toInt();
            EXPECT_EQ(readAll(e.source), content("picture", n));
            if (e.older != OlderFile::None) {
                EXPECT_EQ(readAll(f.destination + u'/' + pictureName(n)), content("older", n));
            }
        }
        QDir(QFileInfo(f.source).path()).removeRecursively();
    }
    std::cout << "  uncut run " << uncut.ms << " ms; " << Kills << " kills of sorting, "
              << undoKills << " of undoing; " << recorded << " moves recorded before the kills"
              << std::endl;
}
