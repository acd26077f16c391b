#include "platform/FileOps.h"
#include "support/TempDir.h"

#include <QDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace

TEST(AbandonedTemporaries, OnlyWhatKilledCopiesLeftGoes) {
    TempDir tmp;
    const QString folder = tmp.mkdir("dest");
    tmp.write("dest/.p.jpg.sorteka-a1b2c3", "half a picture");
    tmp.write("dest/.q.jpg.sorteka-d4e5f6", "another picture's half copy");
    tmp.write("dest/.p.jpg.sorteka-a1b2", "not ours: wrong length");
    tmp.write("dest/p.jpg.sorteka-a1b2c3", "not ours: not hidden");
    tmp.mkdir("dest/.p.jpg.sorteka-d1r2c3");
    tmp.write("dest/p.jpg", "the picture");
    // The older file of a move that never completed, and a spare link of one
    // whose file is still at its own name.
    tmp.write("dest/.old.jpg.sorteka-kept-k1k2k3", "only copy of an older picture");
    ASSERT_EQ(::link(QFile::encodeName(folder + "/p.jpg").constData(),
                     QFile::encodeName(folder + "/.p.jpg.sorteka-kept-s1s2s3").constData()),
              0);
    // A copy still running holds its lock.
    const QString running = tmp.write("dest/.r.jpg.sorteka-zz9zz9", "being written");
    const int fd = ::open(QFile::encodeName(running).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);

    // Files touched within the last hour are left alone.
    EXPECT_EQ(platform::removeAbandonedTemporaries(folder, 3600s), 0);
    EXPECT_EQ(entriesOf(folder).size(), 9);

    EXPECT_EQ(platform::removeAbandonedTemporaries(folder, 0s), 3);
    EXPECT_EQ(entriesOf(folder), (QStringList{".old.jpg.sorteka-kept-k1k2k3", ".p.jpg.sorteka-a1b2",
                                              ".p.jpg.sorteka-d1r2c3", ".r.jpg.sorteka-zz9zz9",
                                              "p.jpg", "p.jpg.sorteka-a1b2c3"}));
    ::close(fd);
}
