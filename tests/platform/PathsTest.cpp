// Path text rules: trailing separators, joining, and splitting into parts.

#include "platform/Paths.h"

#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

using namespace platform;

TEST(PathsTest, TrailingSeparator) {
    EXPECT_TRUE(hasTrailingSeparator("/pics/"));
    EXPECT_FALSE(hasTrailingSeparator("/pics"));
    EXPECT_FALSE(hasTrailingSeparator(""));
    EXPECT_EQ(includeTrailingSeparator("/pics"), "/pics/");
    EXPECT_EQ(includeTrailingSeparator("/pics/"), "/pics/");
    EXPECT_EQ(includeTrailingSeparator(""), "/");
    EXPECT_EQ(excludeTrailingSeparator("/pics/"), "/pics");
    EXPECT_EQ(excludeTrailingSeparator("/pics"), "/pics");
    EXPECT_EQ(excludeTrailingSeparator("/"), "/");
    EXPECT_EQ(excludeTrailingSeparator(""), "");
    // Judged on whole characters: a name ending in a multi-byte character.
    EXPECT_FALSE(hasTrailingSeparator(QString::fromUtf8("/写真")));
    EXPECT_EQ(excludeTrailingSeparator(QString::fromUtf8("/写真/")), QString::fromUtf8("/写真"));
}

TEST(PathsTest, JoinAndSplit) {
    EXPECT_EQ(joinPath("/pics", "a.jpg"), "/pics/a.jpg");
    EXPECT_EQ(joinPath("/pics/", "a.jpg"), "/pics/a.jpg");
    EXPECT_EQ(joinPath("/", "a.jpg"), "/a.jpg");
    EXPECT_EQ(joinPath("", "a.jpg"), "a.jpg");

    EXPECT_EQ(fileNameOf("/pics/a.jpg"), "a.jpg");
    EXPECT_EQ(fileNameOf("a.jpg"), "a.jpg");
    EXPECT_EQ(fileNameOf("/pics/"), "");
    EXPECT_EQ(directoryOf("/pics/a.jpg"), "/pics/");
    EXPECT_EQ(directoryOf("/a.jpg"), "/");
    EXPECT_EQ(directoryOf("a.jpg"), "");

    EXPECT_EQ(extensionOf("/pics/a.JPG"), "JPG");
    EXPECT_EQ(extensionOf("x.tar.gz"), "gz");
    EXPECT_EQ(extensionOf("/a.b/c"), "");
    EXPECT_EQ(extensionOf("noext"), "");
    EXPECT_EQ(extensionOf("trailing."), "");
    EXPECT_EQ(extensionOf(".hidden"), "hidden");
}

TEST(PathsTest, CurrentDirectoryRoundTrip) {
    TempDir dir;
    const QString sub = dir.mkdir(QString::fromUtf8("写真"));
    const QString previous = currentDirectory();

    ASSERT_TRUE(setCurrentDirectory(sub));
    const QString inside = currentDirectory();
    const bool relativeWorks = setCurrentDirectory("..");
    const QString parent = currentDirectory();
    const bool missingRefused = !setCurrentDirectory(dir.file("missing"));
    const bool emptyRefused = !setCurrentDirectory(QString());
    const QString afterRefusals = currentDirectory();
    ASSERT_TRUE(setCurrentDirectory(previous));

    // The temporary folder may be reached through a link; compare real paths.
    const QString realSub = QDir(sub).canonicalPath();
    EXPECT_EQ(inside, realSub);
    EXPECT_TRUE(relativeWorks);
    EXPECT_EQ(parent, QDir(dir.path()).canonicalPath());
    EXPECT_TRUE(missingRefused);
    EXPECT_TRUE(emptyRefused);
    EXPECT_EQ(afterRefusals, parent);
    EXPECT_EQ(currentDirectory(), previous);
}

} // namespace
