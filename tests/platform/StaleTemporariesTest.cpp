#include "platform/FileOps.h"
#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace

TEST(StaleTemporaries, OnlyAbandonedCopiesOfTheSameNameGo) {
    TempDir tmp;
    const QString folder = tmp.mkdir("dest");
    tmp.write("dest/.p.jpg.sorteka-a1b2c3", "half a picture");
    tmp.write("dest/.p.jpg.sorteka-a1b2", "not ours: wrong length");
    tmp.write("dest/.q.jpg.sorteka-a1b2c3", "another picture's copy");
    tmp.write("dest/p.jpg", "the picture");
    tmp.mkdir("dest/.p.jpg.sorteka-d1r2c3");

    // Files touched within the last hour are left alone: a copy may be running.
    EXPECT_EQ(platform::removeStaleTemporaries(folder + "/p.jpg", 3600s), 0);
    EXPECT_EQ(entriesOf(folder).size(), 5);

    EXPECT_EQ(platform::removeStaleTemporaries(folder + "/p.jpg", 0s), 1);
    EXPECT_EQ(entriesOf(folder), (QStringList{".p.jpg.sorteka-a1b2", ".p.jpg.sorteka-d1r2c3",
                                              ".q.jpg.sorteka-a1b2c3", "p.jpg"}));
}

TEST(StaleTemporaries, ACopyKeepsAFreshLeftoverOfAnotherRun) {
    TempDir tmp;
    const QString source = tmp.write("src/p.jpg", "new picture");
    const QString folder = tmp.mkdir("dest");
    tmp.write("dest/.p.jpg.sorteka-zz9zz9", "maybe still being written");
    ASSERT_TRUE(platform::copyFileReplacing(source, folder + "/p.jpg"));
    EXPECT_EQ(entriesOf(folder), (QStringList{".p.jpg.sorteka-zz9zz9", "p.jpg"}));
}
