// Lazy directory enumeration: file-system order, attributes of every kind of
// entry, filtering by rule, and the end and close states.

#include "platform/DirectoryEnumeration.h"

#include "FileSystemFixtures.h"
#include "platform/Paths.h"
#include "support/TempDir.h"

#include <QFile>
#include <QMap>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using platform::AttributeRule;
using platform::DirectoryEntry;
using platform::DirectoryEnumeration;

constexpr AttributeRule Everything{true, true, true};

QStringList namesOf(DirectoryEnumeration& enumeration) {
    QStringList names;
    while (const std::optional<DirectoryEntry> entry = enumeration.next())
        names << entry->name;
    return names;
}

QStringList sortedNames(const QString& folder, AttributeRule rule) {
    const auto enumeration = DirectoryEnumeration::open(folder, rule);
    if (!enumeration)
        return {"<cannot open>"};
    QStringList names = namesOf(*enumeration);
    names.sort();
    return names;
}

class DirectoryEnumerationTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(DirectoryEnumerationTest, OnlyFoldersCanBeOpened) {
    dir.write("a.jpg", "x");

    EXPECT_EQ(DirectoryEnumeration::open(dir.file("missing"), Everything), nullptr);
    EXPECT_EQ(DirectoryEnumeration::open(dir.file("a.jpg"), Everything), nullptr);
    EXPECT_EQ(DirectoryEnumeration::open(QString(), Everything), nullptr);
    const auto empty = DirectoryEnumeration::open(dir.mkdir("empty"), Everything);
    ASSERT_NE(empty, nullptr);
    EXPECT_FALSE(empty->next().has_value());
}

TEST_F(DirectoryEnumerationTest, KeepsTheFileSystemsOrder) {
    for (int i = 0; i < 300; ++i)
        dir.write(QString("%1.jpg").arg((i * 7919) % 1000, 3, 10, QChar('0')), "x");
    dir.mkdir("sub");
    dir.write(".hidden", "x");

    const auto enumeration = DirectoryEnumeration::open(dir.path(), Everything);
    ASSERT_NE(enumeration, nullptr);

    const QStringList listed = namesOf(*enumeration);
    EXPECT_EQ(listed.size(), 302);
    EXPECT_EQ(listed, rawListing(dir.path()));
}

// One entry of every kind the attributes tell apart.
void makeOneOfEachKind(const TempDir& dir) {
    dir.write("a.jpg", "x");
    dir.write(".hidden.jpg", "x");
    dir.mkdir("cats");
    dir.mkdir(".cache");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("fifo")).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file(".hidden-fifo")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(dir.file("cats"), dir.file("link-to-folder")));
    ASSERT_TRUE(QFile::link(dir.file("a.jpg"), dir.file("link-to-file")));
    ASSERT_TRUE(QFile::link(dir.file("nowhere"), dir.file("dangling")));
    dir.write(QString::fromUtf8("たま.jpg"), "x");
}

TEST_F(DirectoryEnumerationTest, ClassifiesEveryKindOfEntry) {
    ASSERT_NO_FATAL_FAILURE(makeOneOfEachKind(dir));

    const auto enumeration = DirectoryEnumeration::open(dir.path(), Everything);
    ASSERT_NE(enumeration, nullptr);
    QMap<QString, QString> kinds; // name -> the flags "d", "h", "s" that are set
    while (const std::optional<DirectoryEntry> entry = enumeration->next()) {
        kinds[entry->name] = QString(entry->isDirectory ? "d" : "") + (entry->isHidden ? "h" : "") +
                             (entry->isSystem ? "s" : "");
    }

    const QMap<QString, QString> expected{
        {"a.jpg", ""},           {".hidden.jpg", "h"},
        {"cats", "d"},           {".cache", "dh"},
        {"fifo", "s"},           {".hidden-fifo", "hs"},
        {"link-to-folder", "d"}, {"link-to-file", ""},
        {"dangling", "s"},       {QString::fromUtf8("たま.jpg"), ""}};
    EXPECT_EQ(kinds, expected);
}

TEST_F(DirectoryEnumerationTest, RuleLetsThroughOnlyAllowedAttributes) {
    ASSERT_NO_FATAL_FAILURE(makeOneOfEachKind(dir));
    const QString jpg = QString::fromUtf8("たま.jpg");

    EXPECT_EQ(sortedNames(dir.path(), AttributeRule::filesOnly()),
              (QStringList{"a.jpg", "link-to-file", jpg}));
    EXPECT_EQ(sortedNames(dir.path(), {true, false, false}),
              (QStringList{"a.jpg", "cats", "link-to-file", "link-to-folder", jpg}));
    EXPECT_EQ(sortedNames(dir.path(), {false, true, false}),
              (QStringList{".hidden.jpg", "a.jpg", "link-to-file", jpg}));
    EXPECT_EQ(sortedNames(dir.path(), {false, false, true}),
              (QStringList{"a.jpg", "dangling", "fifo", "link-to-file", jpg}));
    EXPECT_EQ(sortedNames(dir.path(), {true, true, false}),
              (QStringList{".cache", ".hidden.jpg", "a.jpg", "cats", "link-to-file",
                           "link-to-folder", jpg}));
    EXPECT_EQ(sortedNames(dir.path(), Everything).size(), 10);
}

TEST_F(DirectoryEnumerationTest, ClassifiesRelativeToTheOpenedFolderAfterAChdir) {
    dir.mkdir("pics/cats");
    ASSERT_TRUE(QFile::link("cats", dir.file("pics/link-to-folder")));
    const QString previous = platform::currentDirectory();
    ASSERT_TRUE(platform::setCurrentDirectory(dir.path()));

    const auto enumeration = DirectoryEnumeration::open("pics", {true, false, false});
    ASSERT_TRUE(platform::setCurrentDirectory(dir.mkdir("elsewhere")));
    const QStringList names = enumeration ? namesOf(*enumeration) : QStringList{};
    ASSERT_TRUE(platform::setCurrentDirectory(previous));

    EXPECT_EQ(names.size(), 2);
    EXPECT_TRUE(names.contains("cats"));
    EXPECT_TRUE(names.contains("link-to-folder"));
}

TEST_F(DirectoryEnumerationTest, GivesOneEntryPerCallAndStopsWhenClosed) {
    for (int i = 0; i < 10; ++i)
        dir.write(QString("%1.jpg").arg(i), "x");
    const QStringList all = rawListing(dir.path());

    const auto enumeration = DirectoryEnumeration::open(dir.path(), AttributeRule::filesOnly());
    ASSERT_NE(enumeration, nullptr);
    for (int i = 0; i < 3; ++i) {
        const std::optional<DirectoryEntry> entry = enumeration->next();
        ASSERT_TRUE(entry.has_value());
        EXPECT_EQ(entry->name, all[i]);
    }
    enumeration->close();
    EXPECT_FALSE(enumeration->next().has_value());
    enumeration->close();
    EXPECT_FALSE(enumeration->next().has_value());
}

} // namespace
