#include "core/Journal.h"
#include "core/SortAction.h"
#include "platform/Trash.h"
#include "support/AsOrdinaryUser.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

TEST(NumberedFileName, PutsATwoDigitNumberBeforeTheExtension) {
    EXPECT_EQ(NumberedFileName("/cats/tama.jpg", 1), "/cats/tama01.jpg");
    EXPECT_EQ(NumberedFileName("/cats/tama.jpg", 9), "/cats/tama09.jpg");
    EXPECT_EQ(NumberedFileName("/cats/tama.jpg", 10), "/cats/tama10.jpg");
    EXPECT_EQ(NumberedFileName("/cats/tama.jpg", 123), "/cats/tama123.jpg");
    EXPECT_EQ(NumberedFileName("/docs/README", 3), "/docs/README03");
    EXPECT_EQ(NumberedFileName("/x/x.tar.gz", 1), "/x/x.tar01.gz");
    EXPECT_EQ(NumberedFileName("/a.b/photo", 2), "/a.b/photo02");
    EXPECT_EQ(NumberedFileName("/a/.hidden", 4), "/a/04.hidden");
    EXPECT_EQ(NumberedFileName("名前.jpg", 5), "名前05.jpg");
}

namespace {

// stat() of `path`; st_nlink is 0 when it does not exist.
struct stat statOf(const QString& path) {
    struct stat st {};
    (void)::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

class SortActionTest : public ::testing::Test {
protected:
    TempDir tmp;
    ScriptedPrompter prompter;
    int policy = 0;
    SortAction action{prompter, [this] { return policy; }};
    QString source;
    QString dest;

    void SetUp() override {
        source = tmp.mkdir("source") + "/";
        dest = tmp.mkdir("dest");
        tmp.write("source/tama.jpg", "new picture");
    }

    SortResult sort(bool move = false, const QString& directory = {}) {
        return action.run({4, directory.isNull() ? dest : directory, source, "tama.jpg", move});
    }
};

} // namespace

TEST_F(SortActionTest, CopyLeavesTheSourceAndLogsTheFinalNames) {
    const SortResult result = sort();
    ASSERT_TRUE(result.done);
    EXPECT_EQ(readAll(dest + "/tama.jpg"), "new picture");
    EXPECT_TRUE(QFileInfo::exists(source + "tama.jpg"));
    EXPECT_EQ(result.logLine, QString("コピー(4): %1tama.jpg → %2/tama.jpg").arg(source, dest));
    // With or without a trailing "/" the destination is the same.
    prompter.confirmAnswers = {true};
    EXPECT_TRUE(sort(false, dest + "/").done);
    EXPECT_EQ(prompter.confirmations, QStringList{SortAction::AskOverwrite});
}

TEST_F(SortActionTest, MoveRemovesTheSourceOnlyAfterTheCopy) {
    const SortResult result = sort(true);
    ASSERT_TRUE(result.done);
    EXPECT_FALSE(QFileInfo::exists(source + "tama.jpg"));
    EXPECT_EQ(readAll(dest + "/tama.jpg"), "new picture");
    EXPECT_TRUE(result.logLine.startsWith("移動(4): "));

    // The source is gone now: a second move fails to copy and keeps everything.
    EXPECT_FALSE(sort(true, tmp.mkdir("other")).done);
    EXPECT_EQ(prompter.warnings, QStringList{SortAction::CopyFailed});
    EXPECT_EQ(readAll(dest + "/tama.jpg"), "new picture");
}

TEST_F(SortActionTest, AMoveRenamesWithinOneFileSystemAndCopiesAcrossThem) {
    // A folder on another file system, where the machine has one at hand.
    QTemporaryDir elsewhere(QStringLiteral("/dev/shm/sorteka-test-XXXXXX"));
    const bool otherFileSystem =
        elsewhere.isValid() && statOf(elsewhere.path()).st_dev != statOf(tmp.path()).st_dev;
    // A large picture: a rename must not write its data.
    const QByteArray picture(50 * 1024 * 1024, 'p');
    Journal journal(tmp.file("journal"));
    action.setJournal(&journal);
    for (const bool sameFileSystem : {true, false}) {
        if (!sameFileSystem && !otherFileSystem)
            continue;
        for (const bool replacing : {false, true}) {
            SCOPED_TRACE(std::string(sameFileSystem ? "one file system" : "two file systems") +
                         (replacing ? ", replacing after yes" : ", to a free name"));
            const QString to = sameFileSystem ? dest : elsewhere.path();
            tmp.write("source/tama.jpg", picture);
            if (replacing) {
                QFile older(to + "/tama.jpg");
                ASSERT_TRUE(older.open(QIODevice::WriteOnly) && older.write("older") == 5);
                prompter.confirmAnswers = {true};
            }
            const struct stat before = statOf(source + "tama.jpg");

            const SortResult result = sort(true, to);
            ASSERT_TRUE(result.done);
            EXPECT_EQ(result.logLine, QString("移動(4): %1tama.jpg → %2/tama.jpg").arg(source, to));
            EXPECT_FALSE(QFileInfo::exists(source + "tama.jpg"));
            EXPECT_TRUE(readAll(to + "/tama.jpg") == picture);
            const struct stat after = statOf(to + "/tama.jpg");
            EXPECT_EQ(after.st_ino == before.st_ino && after.st_dev == before.st_dev,
                      sameFileSystem);
            EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
            // Nothing else is left: no kept older file, no temporary.
            EXPECT_EQ(QDir(to).entryList(QDir::Files | QDir::Hidden | QDir::System),
                      QStringList{"tama.jpg"});
            EXPECT_TRUE(prompter.warnings.isEmpty());
            if (replacing) {
                // The older file is in the trash of its own file system; out
                // of there again, so the test leaves nothing behind.
                const JournalEntry& last = journal.entries().back();
                ASSERT_EQ(last.older, OlderFile::Trashed);
                EXPECT_EQ(readAll(last.olderPath), "older");
                ASSERT_TRUE(platform::restoreFromTrash(last.olderPath, to + "/older"));
                ASSERT_TRUE(QFile::remove(to + "/older"));
            }
            ASSERT_TRUE(QFile::remove(to + "/tama.jpg"));
        }
    }
    if (!otherFileSystem)
        GTEST_SKIP() << "no second file system for the copy across";
}

TEST_F(SortActionTest, NameClashPolicies) {
    tmp.write("dest/tama.jpg", "old picture");

    policy = 0; // ask
    prompter.confirmAnswers = {false};
    EXPECT_FALSE(sort().done);
    EXPECT_EQ(readAll(dest + "/tama.jpg"), "old picture");

    policy = 1; // number the new file
    SortResult result = sort();
    ASSERT_TRUE(result.done);
    EXPECT_EQ(readAll(dest + "/tama01.jpg"), "new picture");
    EXPECT_EQ(readAll(dest + "/tama.jpg"), "old picture");
    EXPECT_TRUE(result.logLine.endsWith(dest + "/tama01.jpg"));
    EXPECT_TRUE(sort().done);
    EXPECT_TRUE(QFileInfo::exists(dest + "/tama02.jpg"));

    policy = 2; // number the old file
    result = sort();
    ASSERT_TRUE(result.done);
    EXPECT_EQ(readAll(dest + "/tama03.jpg"), "old picture");
    EXPECT_EQ(readAll(dest + "/tama.jpg"), "new picture");
    EXPECT_TRUE(result.logLine.endsWith(dest + "/tama.jpg"));

    policy = 5; // no such policy
    tmp.write("source/tama.jpg", "newer picture");
    EXPECT_FALSE(sort().done);
    EXPECT_EQ(prompter.warnings, QStringList{SortAction::InternalError});
    EXPECT_EQ(readAll(dest + "/tama.jpg"), "new picture");
    EXPECT_TRUE(prompter.confirmAnswers.empty());
}

TEST_F(SortActionTest, NumbersHaveNoUpperLimit) {
    tmp.write("dest/tama.jpg", "0");
    for (int n = 1; n <= 99; ++n)
        tmp.write(QString("dest/tama%1.jpg").arg(n, 2, 10, QChar('0')), "x");
    policy = 1;
    ASSERT_TRUE(sort().done);
    EXPECT_EQ(readAll(dest + "/tama100.jpg"), "new picture");
}

TEST_F(SortActionTest, MissingDestinationFolderIsCreatedOnlyWhenWanted) {
    const QString fresh = tmp.file("fresh");
    prompter.confirmAnswers = {false, true};
    EXPECT_FALSE(sort(false, fresh).done);
    EXPECT_FALSE(QFileInfo::exists(fresh));
    EXPECT_TRUE(sort(false, fresh).done);
    EXPECT_EQ(readAll(fresh + "/tama.jpg"), "new picture");
    EXPECT_EQ(prompter.confirmations, QStringList(2, SortAction::AskCreateDirectory));

    // Only one level is created: a missing parent makes it fail.
    prompter.confirmAnswers = {true};
    EXPECT_FALSE(sort(false, tmp.file("no/such/folder")).done);
    EXPECT_EQ(prompter.warnings, QStringList{SortAction::CannotCreateDirectory});
}

TEST_F(SortActionTest, NothingHappensWithoutAPictureAndAnEmptyFolderIsRefused) {
    EXPECT_FALSE(action.run({1, dest, source, "", false}).done);
    EXPECT_TRUE(prompter.warnings.isEmpty());
    EXPECT_FALSE(sort(false, "").done);
    EXPECT_EQ(prompter.warnings, QStringList{SortAction::NoDestination});
}

TEST_F(SortActionTest, SortingIntoTheSourceFolderNeverLosesThePicture) {
    const QString sourceFolder = source.chopped(1);
    policy = 0;
    prompter.confirmAnswers = {true};
    EXPECT_FALSE(sort(true, sourceFolder).done); // a copy onto itself fails
    EXPECT_EQ(prompter.warnings, QStringList{SortAction::CopyFailed});
    EXPECT_EQ(readAll(source + "tama.jpg"), "new picture");

    policy = 1; // a numbered duplicate; the move leaves only that
    ASSERT_TRUE(sort(true, sourceFolder).done);
    EXPECT_FALSE(QFileInfo::exists(source + "tama.jpg"));
    EXPECT_EQ(readAll(source + "tama01.jpg"), "new picture");
}

TEST_F(SortActionTest, ARelativeDestinationResolvesAgainstTheCurrentDirectory) {
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(tmp.path()));
    const bool done = sort(false, "dest").done;
    QDir::setCurrent(saved);
    EXPECT_TRUE(done);
    EXPECT_TRUE(QFileInfo::exists(dest + "/tama.jpg"));
}

TEST_F(SortActionTest, AMoveWhoseSourceCannotBeDeletedLeavesEverythingAsItWas) {
    // Readable and writable for the ordinary user the sort runs as.
    const auto chmod = [](const QString& path, mode_t mode) {
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
    };
    chmod(tmp.path(), 0755);
    chmod(dest, 0777);
    chmod(source + "tama.jpg", 0644);
    for (const bool olderFile : {false, true}) {
        SCOPED_TRACE(olderFile ? "replacing an older file" : "to a free name");
        prompter.warnings.clear();
        if (olderFile) {
            tmp.write("dest/tama.jpg", "older picture");
            prompter.confirmAnswers = {true};
        }
        const ino_t sourceInode = statOf(source + "tama.jpg").st_ino;
        const ino_t olderInode = statOf(dest + "/tama.jpg").st_ino;
        chmod(source, 0555);
        bool done = false;
        {
            AsOrdinaryUser user;
            done = sort(true).done;
        }
        chmod(source, 0755);
        EXPECT_FALSE(done);
        EXPECT_EQ(prompter.warnings, QStringList{SortAction::DeleteFailed});
        EXPECT_EQ(readAll(source + "tama.jpg"), "new picture");
        EXPECT_EQ(statOf(source + "tama.jpg").st_ino, sourceInode);
        // The older file is back at its name, and nothing else is left.
        const QStringList left =
            QDir(dest).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        EXPECT_EQ(left, olderFile ? QStringList{"tama.jpg"} : QStringList{});
        if (olderFile) {
            EXPECT_EQ(readAll(dest + "/tama.jpg"), "older picture");
            EXPECT_EQ(statOf(dest + "/tama.jpg").st_ino, olderInode);
        }
    }
}
