// What the directory chooser's list shows: the chain from the root, the
// children sorted, the folder kinds and levels, and where a new folder goes.

#include "dialogs/DirbrowseList.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(DirbrowseListTest, ChainRunsFromTheRootDownToTheDirectory) {
    EXPECT_EQ(directoryChain("/"), QStringList{"/"});
    EXPECT_EQ(directoryChain("/home"), (QStringList{"/", "/home"}));
    EXPECT_EQ(directoryChain("/home/user/pics"),
              (QStringList{"/", "/home", "/home/user", "/home/user/pics"}));
    EXPECT_EQ(directoryChain("//home//user/"), (QStringList{"/", "/home", "/home/user"}));
}

TEST(DirbrowseListTest, NamesSortWithoutRegardToCaseAndStably) {
    EXPECT_EQ(sortedDirectoryNames({"b", "C", "a", "B", "10", "2", "Ä"}),
              (QStringList{"10", "2", "a", "B", "b", "C", "Ä"}));
}

TEST(DirbrowseListTest, EntriesShowThePathThenTheChildrenOneLevelDeeper) {
    const std::vector<DirListEntry> entries = dirListEntries("/a/b", {"x", "y"});
    const std::vector<DirListEntry> expected{
        {"/", "/", 0, DirEntryKind::OpenFolder},
        {"a", "/a", 1, DirEntryKind::OpenFolder},
        {"b", "/a/b", 2, DirEntryKind::CurrentFolder},
        {"x", "/a/b/x", 3, DirEntryKind::ClosedFolder},
        {"y", "/a/b/y", 3, DirEntryKind::ClosedFolder},
    };
    EXPECT_EQ(entries, expected);

    const std::vector<DirListEntry> atRoot = dirListEntries("/", {"home"});
    const std::vector<DirListEntry> expectedAtRoot{
        {"/", "/", 0, DirEntryKind::CurrentFolder},
        {"home", "/home", 1, DirEntryKind::ClosedFolder},
    };
    EXPECT_EQ(atRoot, expectedAtRoot);
}

TEST(DirbrowseListTest, SubdirectoriesLeaveOutHiddenOnesAndFiles) {
    TempDir dir;
    for (const char* name : {"beta", "Alpha", "gamma", ".hidden", "alpha2"})
        dir.mkdir(name);
    dir.write("file.jpg", "x");
    dir.write(".dotfile", "x");
    ASSERT_TRUE(QFile::link(dir.file("gamma"), dir.file("linked")));
    ASSERT_TRUE(QFile::link(dir.file("file.jpg"), dir.file("filelink")));
    ASSERT_TRUE(QFile::link(dir.file("missing"), dir.file("dangling")));

    EXPECT_EQ(visibleSubdirectories(dir.path()),
              (QStringList{"Alpha", "alpha2", "beta", "gamma", "linked"}));
    EXPECT_TRUE(visibleSubdirectories(dir.file("missing")).isEmpty());
    EXPECT_TRUE(visibleSubdirectories(dir.file("file.jpg")).isEmpty());
}

TEST(DirbrowseListTest, NewDirectoryGoesUnderTheCurrentOneAsTyped) {
    EXPECT_EQ(newDirectoryPath("/", "new"), "/new");
    EXPECT_EQ(newDirectoryPath("/pictures", "new"), "/pictures/new");
    EXPECT_EQ(newDirectoryPath("/pictures", " spaced "), "/pictures/ spaced ");
    EXPECT_EQ(newDirectoryPath("/pictures", "a/b"), "/pictures/a/b");
    // An empty name names the current directory itself.
    EXPECT_EQ(newDirectoryPath("/pictures", ""), "/pictures/");
}

} // namespace
