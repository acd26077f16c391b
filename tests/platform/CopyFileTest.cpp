// copyFileReplacing against a real file system: what a copy keeps, and that no
// failure ever harms an existing target or leaves a temporary file behind.

#include "FileSystemFixtures.h"
#include "platform/FileOps.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::copyFileReplacing;

namespace {

// Deterministic bytes that no file system compresses or deduplicates away.
QByteArray patternBytes(qsizetype size, quint32 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        seed = seed * 1664525u + 1013904223u;
        bytes[i] = static_cast<char>(seed >> 24);
    }
    return bytes;
}

QStringList sorted(QStringList names) {
    names.sort();
    return names;
}

class CopyFileTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(CopyFileTest, KeepsContentPermissionBitsAndTimes) {
    const struct timespec atime { 1000000000, 123456789 };
    const struct timespec mtime { 1234567890, 987654321 };
    struct Case {
        const char* name;
        mode_t mode;
        qsizetype size;
    };
    // Read-only stays read-only; a large file needs many rounds of the copy loop.
    for (const Case& c : {Case{"plain.jpg", 0640, 3 * 1024 * 1024 + 17},
                          Case{"readonly.jpg", 0444, 4096}, Case{"empty.jpg", 0600, 0}}) {
        SCOPED_TRACE(c.name);
        const QByteArray data = patternBytes(c.size, 7);
        const QString source = dir.write(QString("src/") + c.name, data);
        ASSERT_EQ(::chmod(QFile::encodeName(source).constData(), c.mode), 0);
        setTimes(source, atime, mtime);
        const QString target = dir.mkdir("dst") + "/" + c.name;

        const platform::FileResult result = copyFileReplacing(source, target);

        ASSERT_TRUE(result.ok) << result.errorText.toStdString();
        EXPECT_EQ(result.error, 0);
        EXPECT_TRUE(result.errorText.isEmpty());
        EXPECT_EQ(readAll(target), data);
        const struct stat copied = statOf(target);
        EXPECT_EQ(copied.st_mode & 07777, c.mode);
        EXPECT_EQ(copied.st_mtim.tv_sec, mtime.tv_sec);
        EXPECT_EQ(copied.st_mtim.tv_nsec, mtime.tv_nsec);
        EXPECT_EQ(readAll(source), data);
    }
    EXPECT_EQ(sorted(rawListing(dir.file("dst"))),
              (QStringList{"empty.jpg", "plain.jpg", "readonly.jpg"}));
}

TEST_F(CopyFileTest, ReplacesAnExistingTargetEvenAReadOnlyOne) {
    // A read-only file in a writable folder can be replaced, as it can be deleted.
    const QByteArray data = patternBytes(70000, 1);
    const QString source = dir.write("new.jpg", data);
    const QString target = dir.write("old.jpg", "the old picture, longer than nothing");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0444), 0);

    ASSERT_TRUE(copyFileReplacing(source, target).ok);

    EXPECT_EQ(readAll(target), data);
    EXPECT_EQ(statOf(target).st_mode & 0777, statOf(source).st_mode & 0777);
    EXPECT_EQ(sorted(rawListing(dir.path())), (QStringList{"new.jpg", "old.jpg"}));
}

TEST_F(CopyFileTest, NamesAtTheLengthLimitStillGetATemporaryFile) {
    // 85 three-byte characters: 255 bytes, the longest name there is.
    const QString name = QString(85, QChar(0x3042));
    ASSERT_EQ(QFile::encodeName(name).size(), 255);
    const QString source = dir.write("a.jpg", "data");
    const QString target = dir.file(name);

    const platform::FileResult result = copyFileReplacing(source, target);

    ASSERT_TRUE(result.ok) << result.errorText.toStdString();
    EXPECT_EQ(readAll(target), "data");
    EXPECT_EQ(sorted(rawListing(dir.path())), sorted({"a.jpg", name}));
}

TEST_F(CopyFileTest, CopiesAcrossFileSystems) {
    // Copying between file systems of different kinds takes the buffered path.
    QTemporaryFile shm("/dev/shm/sorteka-test-XXXXXX");
    if (!QDir("/dev/shm").exists() || !shm.open())
        GTEST_SKIP() << "no /dev/shm to copy from";
    if (statOf(shm.fileName()).st_dev == statOf(dir.path()).st_dev)
        GTEST_SKIP() << "/dev/shm is on the same file system as the temporary folder";
    const QByteArray data = patternBytes(600000, 3);
    ASSERT_EQ(shm.write(data), data.size());
    shm.close();

    ASSERT_TRUE(copyFileReplacing(shm.fileName(), dir.file("copy.jpg")).ok);

    EXPECT_EQ(readAll(dir.file("copy.jpg")), data);
}

TEST_F(CopyFileTest, MissingSourceLeavesTheTargetAlone) {
    const QString target = dir.write("tama.jpg", "old content");

    const platform::FileResult result = copyFileReplacing(dir.file("gone.jpg"), target);

    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, ENOENT);
    EXPECT_FALSE(result.errorText.isEmpty());
    EXPECT_EQ(readAll(target), "old content");
    EXPECT_EQ(rawListing(dir.path()), QStringList{"tama.jpg"});
}

TEST_F(CopyFileTest, UnusableTargetFolderFails) {
    const QString source = dir.write("a.jpg", "data");
    dir.write("plain-file", "x");

    const platform::FileResult missing = copyFileReplacing(source, dir.file("missing/a.jpg"));
    const platform::FileResult notAFolder = copyFileReplacing(source, dir.file("plain-file/a.jpg"));

    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_EQ(notAFolder.error, ENOTDIR);
    EXPECT_FALSE(missing.ok || notAFolder.ok);
    EXPECT_EQ(sorted(rawListing(dir.path())), (QStringList{"a.jpg", "plain-file"}));
}

TEST_F(CopyFileTest, OnlyPlainFilesAreCopiedAndFoldersNeverReplaced) {
    const QString source = dir.write("a.jpg", "data");
    const QString folder = dir.mkdir("cats");
    dir.write("cats/tama.jpg", "tama");
    // A FIFO with no writer would block a plain open() for ever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("fifo")).constData(), 0600), 0);

    const platform::FileResult ontoFolder = copyFileReplacing(source, folder);
    const platform::FileResult ofFolder = copyFileReplacing(folder, dir.file("b.jpg"));
    const platform::FileResult ofFifo = copyFileReplacing(dir.file("fifo"), dir.file("c.jpg"));

    EXPECT_FALSE(ontoFolder.ok);
    EXPECT_NE(ontoFolder.error, 0);
    EXPECT_EQ(ofFolder.error, EISDIR);
    EXPECT_EQ(ofFifo.error, EINVAL);
    EXPECT_EQ(rawListing(folder), QStringList{"tama.jpg"});
    EXPECT_EQ(sorted(rawListing(dir.path())), (QStringList{"a.jpg", "cats", "fifo"}));
}

TEST_F(CopyFileTest, CopyOntoItselfIsRefusedAndHarmless) {
    const QByteArray data = patternBytes(5000, 9);
    const QString source = dir.write("tama.jpg", data);
    ASSERT_EQ(::link(QFile::encodeName(source).constData(),
                     QFile::encodeName(dir.file("hardlink.jpg")).constData()),
              0);
    ASSERT_TRUE(QFile::link(source, dir.file("symlink.jpg")));
    const QString relativeSameFile = dir.path() + "/./tama.jpg";

    for (const QString& target :
         {source, relativeSameFile, dir.file("hardlink.jpg"), dir.file("symlink.jpg")}) {
        SCOPED_TRACE(target.toStdString());
        const platform::FileResult result = copyFileReplacing(source, target);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, EINVAL);
        EXPECT_FALSE(result.errorText.isEmpty());
        EXPECT_EQ(readAll(source), data);
    }
    EXPECT_EQ(statOf(source).st_nlink, 2u);
    EXPECT_EQ(QFile::symLinkTarget(dir.file("symlink.jpg")), source);
    EXPECT_EQ(sorted(rawListing(dir.path())),
              (QStringList{"hardlink.jpg", "symlink.jpg", "tama.jpg"}));
}

TEST_F(CopyFileTest, WriteErrorMidwayLeavesTheTargetAlone) {
    // A file-size limit makes the writes fail part-way, like a disk that fills up.
    const QByteArray data = patternBytes(256 * 1024, 5);
    const QString source = dir.write("big.jpg", data);
    const QString target = dir.write("tama.jpg", "old content");

    struct rlimit previous {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = previous;
    limited.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const platform::FileResult result = copyFileReplacing(source, target);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, EFBIG);
    EXPECT_EQ(readAll(target), "old content");
    EXPECT_EQ(sorted(rawListing(dir.path())), (QStringList{"big.jpg", "tama.jpg"}));
}

TEST_F(CopyFileTest, UnchangeableTargetFolderFails) {
    const QString source = dir.write("a.jpg", "new");
    const QString folder = dir.mkdir("locked");
    const QString target = dir.write("locked/a.jpg", "old");

    UnchangeableFolder lock(folder);
    if (!lock.engaged())
        GTEST_SKIP() << lock.skipReason().toStdString();
    const platform::FileResult result = copyFileReplacing(source, target);
    const platform::FileResult fresh = copyFileReplacing(source, folder + "/b.jpg");

    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error == EACCES || result.error == EPERM) << result.error;
    EXPECT_FALSE(fresh.ok);
    EXPECT_EQ(readAll(target), "old");
    EXPECT_EQ(rawListing(folder), QStringList{"a.jpg"});
}

// Runs in a child process in a mount namespace of its own, so the small file
// system is seen by nobody else and vanishes with the child. Returns the exit
// code: 0 passed, 77 cannot mount here, other values name the failed check.
int copyOntoFullDisk(const QString& sourceFolder, const QString& mountPoint) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") != 0)
        return 77;
    const QString target = mountPoint + "/tama.jpg";
    QFile old(target);
    if (!old.open(QIODevice::WriteOnly) || old.write("old content") != 11)
        return 1;
    old.close();
    const QString source = sourceFolder + "/big.jpg";

    const platform::FileResult result = copyFileReplacing(source, target);

    if (result.ok || result.error != ENOSPC)
        return 2;
    if (readAll(target) != "old content")
        return 3;
    if (rawListing(mountPoint) != QStringList{"tama.jpg"})
        return 4;
    return 0;
}

TEST_F(CopyFileTest, FullDiskLeavesTheTargetAlone) {
    // Forking is only safe while this process has one thread.
    if (QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size() != 1)
        GTEST_SKIP() << "the test process runs several threads; cannot fork safely";
    dir.write("big.jpg", patternBytes(512 * 1024, 11));
    const QString mountPoint = dir.mkdir("small");

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(copyOntoFullDisk(dir.path(), mountPoint));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "cannot mount a small file system in a private namespace here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "failed check in the child";
}

} // namespace
