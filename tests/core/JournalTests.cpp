// The undo journal on disk: what goes in comes out (paths as raw bytes), a
// record torn by a kill is ignored and never hides the ones after it, and the
// journal keeps only the newest actions.

#include "core/Journal.h"
#include "platform/NativePath.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

JournalEntry entry(int n) {
    JournalEntry e;
    e.number = 1 + n % 9;
    e.method = n % 2 ? SortMethod::Move : SortMethod::Copy;
    // A Shift-JIS name, which is no UTF-8, travels as its bytes.
    e.source = platform::decodePath(QByteArray("/photos/\x8e\xca\x90\x5e") + QByteArray::number(n) +
                                    ".jpg");
    e.destination = QStringLiteral("/sorted/猫/%1.jpg").arg(n);
    e.older = OlderFile(n % 4);
    e.olderPath = e.older == OlderFile::None ? QString() : QStringLiteral("/older/%1").arg(n);
    e.written = {quint64(n) + 7, quint64(n) * 1000 + 3, 4096 + n, qint64(n) * 1'000'000'123};
    return e;
}

std::vector<JournalEntry> appendEntries(Journal& journal, int from, int count) {
    std::vector<JournalEntry> written;
    for (int n = from; n < from + count; ++n) {
        JournalEntry e = entry(n);
        EXPECT_TRUE(journal.append(e)) << journal.errorText().toStdString();
        written.push_back(e);
    }
    return written;
}

} // namespace

TEST(Journal, WhatIsAppendedComesBackAfterARestartWithTheUndoneMarks) {
    TempDir tmp;
    const QString path = tmp.file("state/Varno/Sorteka/journal");
    std::vector<JournalEntry> written;
    {
        Journal journal(path);
        EXPECT_TRUE(journal.entries().empty());
        written = appendEntries(journal, 0, 6);
        EXPECT_TRUE(journal.markUndone(written[4].id));
        EXPECT_TRUE(journal.markUndone(written[1].id));
    }
    written[4].undone = written[1].undone = true;
    const Journal reopened(path);
    EXPECT_TRUE(reopened.entries() == written);
    EXPECT_EQ(platform::encodePath(reopened.entries()[0].source),
              QByteArray("/photos/\x8e\xca\x90\x5e") + "0.jpg");
    for (size_t i = 1; i < written.size(); ++i)
        EXPECT_GT(written[i].id, written[i - 1].id);
}

TEST(Journal, ATornLastRecordIsIgnoredAndCutOffBeforeTheNextOne) {
    TempDir tmp;
    const QString path = tmp.file("journal");
    std::vector<JournalEntry> whole;
    qint64 wholeSize = 0;
    {
        Journal journal(path);
        whole = appendEntries(journal, 0, 3);
        wholeSize = QFileInfo(path).size();
        appendEntries(journal, 3, 1);
    }
    const QByteArray full = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const qint64 lastRecord = full.size() - wholeSize;
    // Cut inside the frame, inside the payload, one byte short; and a whole
    // record's length followed by bytes that do not match its checksum.
    QByteArray damaged = full.left(wholeSize) + full.mid(wholeSize, 8);
    damaged += QByteArray(lastRecord - 8, '\0');
    for (const QByteArray& bytes : {full.left(wholeSize + 3), full.left(wholeSize + 20),
                                    full.left(full.size() - 1), damaged}) {
        SCOPED_TRACE(bytes.size());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        Journal journal(path);
        EXPECT_TRUE(journal.entries() == whole);
        // The next record follows the last whole one, so a restart finds it.
        JournalEntry next = entry(9);
        ASSERT_TRUE(journal.append(next));
        EXPECT_EQ(next.id, whole.back().id + 1);
        const Journal reopened(path);
        ASSERT_EQ(reopened.entries().size(), whole.size() + 1);
        EXPECT_TRUE(reopened.entries().back() == next);
    }
}

TEST(Journal, KeepsTheNewestActionsAndSetsAsideAFileThatIsNoJournal) {
    TempDir tmp;
    const QString path = tmp.file("journal");
    std::vector<JournalEntry> written;
    {
        Journal journal(path, 5);
        written = appendEntries(journal, 0, 12);
        ASSERT_TRUE(journal.markUndone(written[10].id));
        written[10].undone = true;
        // Trimmed on the way, never below the newest five.
        EXPECT_GE(journal.entries().size(), 5u);
        EXPECT_LT(journal.entries().size(), 12u);
    }
    const Journal trimmed(path, 5);
    EXPECT_TRUE(trimmed.entries() == std::vector<JournalEntry>(written.end() - 5, written.end()));
    // The rewrite left no temporary file.
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"journal"});

    tmp.write("journal", "not a journal at all");
    Journal fresh(path);
    EXPECT_TRUE(fresh.entries().empty());
    EXPECT_FALSE(fresh.errorText().isEmpty());
    const QStringList aside = QDir(tmp.path()).entryList({"journal.unreadable-*"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readAll(tmp.file(aside[0])), "not a journal at all");
    JournalEntry e = entry(1);
    EXPECT_TRUE(fresh.append(e));
    EXPECT_EQ(Journal(path).entries().size(), 1u);

    // A journal killed while its first bytes were written is simply empty.
    tmp.write("journal", journal::FileMagic.first(3).toByteArray());
    Journal begun(path);
    EXPECT_TRUE(begun.entries().empty() && begun.errorText().isEmpty());
    EXPECT_TRUE(begun.append(e));
    EXPECT_EQ(Journal(path).entries().size(), 1u);
    EXPECT_EQ(QDir(tmp.path()).entryList({"journal.unreadable-*"}).size(), 1);
}
