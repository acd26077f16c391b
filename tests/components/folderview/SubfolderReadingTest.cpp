#include "components/folderview/SubfolderReading.h"

#include "support/TempDir.h"

#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {

// The order the folder widgets promise, written the plain way: case-folded
// text in code-point order, names that differ only in case by their own text.
bool plainOrder(const QString& a, const QString& b) {
    const QByteArray left = a.toCaseFolded().toUtf8();
    const QByteArray right = b.toCaseFolded().toUtf8();
    return left != right ? left < right : a < b;
}

// Names built from pieces that stress the quick order: shared starts longer
// than eight bytes, names that are the start of others, case twins, letters
// outside ASCII whose folded form is longer than the name.
QStringList mixedNames(std::mt19937& random, int count) {
    const QStringList starts{"", "IMG_", "2024-05-17 trip ", "Folder 0000", "a"};
    const QStringList pieces{"a", "A", "b", "Z", "z", "_",    "0", "9", " ",
                             "~", "é", "É", "ß", "ẞ", "写真", "Ω", "ω", "ﬁ"};
    QStringList names;
    for (int i = 0; i < count; ++i) {
        QString name = starts[int(random() % starts.size())];
        const int length = int(random() % 14);
        for (int j = 0; j < length; ++j)
            name += pieces[int(random() % pieces.size())];
        if (!name.isEmpty())
            names << name;
    }
    return names;
}

} // namespace

TEST(folderviewNames, OrderMatchesThePlainCaseFoldedOrder) {
    std::mt19937 random(20261207);
    std::vector<QStringList> cases{
        {},
        {"only"},
        {"same", "SAME", "Same", "same"},
        {"abcdefghijklmnop", "abcdefghij", "abcdefghijk", "abc", "ABCDEFGHIJ"},
        mixedNames(random, 40),
        mixedNames(random, 5000),
    };
    for (QStringList& names : cases) {
        std::shuffle(names.begin(), names.end(), random);
        QStringList expected = names;
        std::sort(expected.begin(), expected.end(), plainOrder);
        folderview::sortFolderNames(names);
        EXPECT_EQ(names, expected);
    }
}

TEST(folderviewNames, ReadingGivesEveryFolderNameAsWrittenButNoFilesOrDotNames) {
    TempDir tree;
    const QStringList folders{"plain", "with space", "café", "写真 2024", "ÉTÉ", "x"};
    for (const QString& name : folders)
        tree.mkdir("top/" + name);
    tree.mkdir("top/.hidden");
    tree.write("top/file.txt", "not a folder");
    QFile::link(tree.file("top/plain"), tree.file("top/link to plain"));

    QStringList read = folderview::readSubfolderNames(tree.file("top"));
    std::sort(read.begin(), read.end());
    QStringList expected = folders;
    expected << "link to plain";
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(read, expected);
    EXPECT_EQ(folderview::readSubfolderNames(tree.file("top"), true).size(), 1);
    EXPECT_TRUE(folderview::readSubfolderNames(tree.file("missing")).isEmpty());
}
