// The small file operations: existence tests, one-level directory creation,
// renaming that never replaces, deletion and folder syncing.

#include "platform/FileOps.h"

#include "FileSystemFixtures.h"
#include "support/TempDir.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using namespace platform;

class FileOpsTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST(FileResultTest, FailureCarriesErrnoAndItsText) {
    const FileResult result = FileResult::failure(ENOENT);

    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(static_cast<bool>(result));
    EXPECT_EQ(result.error, ENOENT);
    EXPECT_EQ(result.errorText, QString::fromLocal8Bit(std::strerror(ENOENT)));
    EXPECT_TRUE(static_cast<bool>(FileResult::success()));
}

TEST_F(FileOpsTest, ExistenceFollowsLinksAndTellsFoldersFromFiles) {
    const QString file = dir.write("a.jpg", "x");
    const QString folder = dir.mkdir("cats");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("fifo")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(folder, dir.file("link-to-folder")));
    ASSERT_TRUE(QFile::link(file, dir.file("link-to-file")));
    ASSERT_TRUE(QFile::link(dir.file("nowhere"), dir.file("dangling")));

    EXPECT_TRUE(fileExists(file));
    EXPECT_FALSE(directoryExists(file));
    EXPECT_TRUE(directoryExists(folder));
    EXPECT_TRUE(directoryExists(folder + "/"));
    EXPECT_FALSE(fileExists(folder));
    EXPECT_TRUE(fileExists(dir.file("fifo")));
    EXPECT_TRUE(directoryExists(dir.file("link-to-folder")));
    EXPECT_FALSE(fileExists(dir.file("link-to-folder")));
    EXPECT_TRUE(fileExists(dir.file("link-to-file")));
    EXPECT_FALSE(fileExists(dir.file("dangling")));
    EXPECT_FALSE(directoryExists(dir.file("dangling")));
    EXPECT_FALSE(fileExists(dir.file("missing")));
    EXPECT_FALSE(directoryExists(dir.file("missing")));
    EXPECT_FALSE(fileExists(QString()));
    EXPECT_FALSE(directoryExists(QString()));
}

TEST_F(FileOpsTest, CreateDirectoryMakesExactlyOneLevel) {
    dir.write("plain-file", "x");

    EXPECT_TRUE(createDirectory(dir.file("cats")).ok);
    EXPECT_TRUE(directoryExists(dir.file("cats")));
    EXPECT_EQ(createDirectory(dir.file("cats")).error, EEXIST);
    EXPECT_EQ(createDirectory(dir.file("dogs/puppies")).error, ENOENT);
    EXPECT_FALSE(directoryExists(dir.file("dogs")));
    EXPECT_EQ(createDirectory(dir.file("plain-file/sub")).error, ENOTDIR);
}

TEST_F(FileOpsTest, RenameNoReplaceMovesOrRefuses) {
    for (const auto rename : {&renameNoReplace, &renameByLinking}) {
        TempDir fresh;
        const QString from = fresh.write("tama.jpg", "new");
        const QString taken = fresh.write("tama01.jpg", "old");

        const FileResult refused = rename(from, taken);
        EXPECT_FALSE(refused.ok);
        EXPECT_EQ(refused.error, EEXIST);
        EXPECT_EQ(readAll(from), "new");
        EXPECT_EQ(readAll(taken), "old");

        EXPECT_TRUE(rename(from, fresh.file("tama02.jpg")).ok);
        EXPECT_FALSE(fileExists(from));
        EXPECT_EQ(readAll(fresh.file("tama02.jpg")), "new");
        EXPECT_EQ(statOf(fresh.file("tama02.jpg")).st_nlink, 1u);

        EXPECT_EQ(rename(fresh.file("gone.jpg"), fresh.file("x.jpg")).error, ENOENT);
        EXPECT_FALSE(fileExists(fresh.file("x.jpg")));
    }
}

TEST_F(FileOpsTest, RenameByLinkingUndoesTheLinkWhenTheOldNameStays) {
    const QString folder = dir.mkdir("locked");
    const QString from = dir.write("locked/tama.jpg", "data");
    const QString to = dir.file("tama01.jpg");

    UnchangeableFolder lock(folder);
    if (!lock.engaged())
        GTEST_SKIP() << lock.skipReason().toStdString();
    const FileResult result = renameByLinking(from, to);

    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(fileExists(from));
    EXPECT_FALSE(fileExists(to));
}

TEST_F(FileOpsTest, MoveByRenamingKeepsTheFileOrRefusesWithoutChange) {
    const QString from = dir.write("tama.jpg", "new");
    const QString taken = dir.write("mike.jpg", "old");
    const ino_t inode = statOf(from).st_ino;

    EXPECT_EQ(moveByRenaming(from, taken, false).error, EEXIST);
    EXPECT_EQ(readAll(taken), "old");
    // Another name of the same file is not a target, with or without replacing.
    ASSERT_EQ(::link(QFile::encodeName(from).constData(),
                     QFile::encodeName(dir.file("twin.jpg")).constData()),
              0);
    EXPECT_EQ(moveByRenaming(from, dir.file("twin.jpg"), true).error, EINVAL);
    EXPECT_EQ(moveByRenaming(from, from, true).error, EINVAL);
    ASSERT_TRUE(deleteFile(dir.file("twin.jpg")));
    // A symbolic link is left to a copy, which reads what it points to.
    ASSERT_EQ(::symlink("tama.jpg", QFile::encodeName(dir.file("link.jpg")).constData()), 0);
    EXPECT_EQ(moveByRenaming(dir.file("link.jpg"), dir.file("moved.jpg"), false).error, EOPNOTSUPP);
    EXPECT_EQ(moveByRenaming(dir.file("gone.jpg"), dir.file("x.jpg"), false).error, ENOENT);
    EXPECT_EQ(readAll(from), "new");

    const QString into = dir.mkdir("sorted") + "/mike.jpg";
    ASSERT_TRUE(moveByRenaming(from, into, false));
    EXPECT_FALSE(fileExists(from));
    EXPECT_EQ(statOf(into).st_ino, inode);
    ASSERT_TRUE(moveByRenaming(into, taken, true));
    EXPECT_EQ(readAll(taken), "new");
    EXPECT_EQ(statOf(taken).st_ino, inode);
}

TEST_F(FileOpsTest, DeleteFileRemovesFilesOnly) {
    const QString file = dir.write("a.jpg", "x");
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
    const QString folder = dir.mkdir("cats");

    EXPECT_TRUE(deleteFile(file).ok);
    EXPECT_FALSE(fileExists(file));
    EXPECT_EQ(deleteFile(file).error, ENOENT);
    const FileResult onFolder = deleteFile(folder);
    EXPECT_FALSE(onFolder.ok);
    EXPECT_EQ(onFolder.error, EISDIR);
    EXPECT_TRUE(directoryExists(folder));
}

TEST_F(FileOpsTest, DeleteFailsInAnUnchangeableFolder) {
    const QString folder = dir.mkdir("locked");
    const QString file = dir.write("locked/a.jpg", "x");

    UnchangeableFolder lock(folder);
    if (!lock.engaged())
        GTEST_SKIP() << lock.skipReason().toStdString();
    const FileResult result = deleteFile(file);

    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error == EACCES || result.error == EPERM) << result.error;
    EXPECT_TRUE(fileExists(file));
}

TEST_F(FileOpsTest, SyncDirectoryNeedsAFolder) {
    EXPECT_TRUE(syncDirectory(dir.path()).ok);
    EXPECT_EQ(syncDirectory(dir.file("missing")).error, ENOENT);
    EXPECT_EQ(syncDirectory(dir.write("a.jpg", "x")).error, ENOTDIR);
}

} // namespace
