#include "components/cdiroutl/OutlinePaths.h"

#include "components/volumes/VolumeRoots.h"
#include "support/TempDir.h"

#include <QFileInfo>
#include <QSet>
#include <gtest/gtest.h>

namespace {

using namespace cdiroutl;

TEST(cdiroutlPaths, AFolderHoldsOnlyPathsBelowItsOwnName) {
    EXPECT_TRUE(isSameOrBelow("/media/card", "/media/card", Qt::CaseSensitive));
    EXPECT_TRUE(isSameOrBelow("/media/card/dcim", "/media/card", Qt::CaseSensitive));
    EXPECT_FALSE(isSameOrBelow("/media/card2", "/media/card", Qt::CaseSensitive));
    EXPECT_FALSE(isSameOrBelow("/media/CARD/dcim", "/media/card", Qt::CaseSensitive));
    EXPECT_TRUE(isSameOrBelow("/media/CARD/dcim", "/media/card", Qt::CaseInsensitive));
    EXPECT_TRUE(isSameOrBelow("/anything", "/", Qt::CaseSensitive));

    const QStringList volumes{"/", "/media/card", "/media/card/inner", "/home"};
    EXPECT_EQ(volumeHolding("/media/card/inner/x", volumes), "/media/card/inner");
    EXPECT_EQ(volumeHolding("/media/card2", volumes), "/");
    EXPECT_EQ(volumeHolding("/home", volumes), "/home");
    EXPECT_EQ(volumeHolding("/home/x", QStringList{"/media"}), QString());
}

TEST(cdiroutlPaths, VolumesStartAtTheRootAndAreFolders) {
    const QStringList roots = volumes::realVolumeRoots();
    ASSERT_FALSE(roots.isEmpty());
    EXPECT_EQ(roots.first(), "/");
    for (const QString& volume : roots)
        EXPECT_TRUE(QFileInfo(volume).isDir()) << volume.toStdString();
    EXPECT_EQ(roots.size(), QSet<QString>(roots.begin(), roots.end()).size());
}

TEST(cdiroutlPaths, CaseFunctionsCoverMoreThanAsciiLetters) {
    EXPECT_EQ(fileNameLowerCase("Photos ÄÖ 写真 X1"), "photos äö 写真 x1");
    EXPECT_EQ(fileNameUpperCase("photos äö 写真 x1"), "PHOTOS ÄÖ 写真 X1");
    EXPECT_TRUE(sameNameIgnoringCase("straße", "STRASSE"));
    EXPECT_TRUE(sameNameIgnoringCase("Äpfel", "äPFEL"));
    EXPECT_FALSE(sameNameIgnoringCase("apfel", "äpfel"));
}

TEST(cdiroutlPaths, ANameInAnyCaseLeadsToTheRealEntries) {
    TempDir tree;
    const QString root = QFileInfo(tree.path()).canonicalFilePath();
    tree.mkdir("Card/DCIM/Holiday");
    tree.mkdir("Card/Straße");
    tree.mkdir("Card/Mixed");
    tree.mkdir("Card/mixed");
    const QString card = root + "/Card";
    const QStringList volumes{"/", card};

    EXPECT_EQ(resolveOnDisk(card.toLower() + "/dcim/holiday", volumes), card + "/DCIM/Holiday");
    EXPECT_EQ(resolveOnDisk(card.toUpper() + "/STRASSE", volumes), card + "/Straße");
    // An exact name wins; otherwise the first candidate in code-point order.
    EXPECT_EQ(resolveOnDisk(card + "/mixed", volumes), card + "/mixed");
    EXPECT_EQ(resolveOnDisk(card + "/MIXED", volumes), card + "/Mixed");
    // What exists nowhere stays as written, below the part that does exist.
    EXPECT_EQ(resolveOnDisk(card.toLower() + "/dcim/Gone/Deeper", volumes),
              card + "/DCIM/Gone/Deeper");
    // Above any volume but "/", every component is looked up from the root.
    EXPECT_EQ(resolveOnDisk(card.toUpper(), {"/"}), card);
    EXPECT_EQ(resolveOnDisk("relative/Path", volumes), "relative/Path");
}

} // namespace
