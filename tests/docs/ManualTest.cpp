// The manual as F1 finds it: in the build tree where the program looks, every
// local link leading to a page and anchor that exist, nothing fetched from
// outside, and both languages covering the same sections.

#include "platform/InstallPaths.h"
#include "support/QtPrinters.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

const QString BinDir = QStringLiteral(SORTEKA_TEST_BIN_DIR);
const QString ManualDir = QStringLiteral(SORTEKA_TEST_MANUAL_BUILD_DIR);
const QString EnglishDir = ManualDir + QStringLiteral("/en");

QString readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QStringList allPages() {
    QStringList pages;
    QDirIterator it(ManualDir, {QStringLiteral("*.html")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        pages << it.next();
    pages.sort();
    return pages;
}

QStringList pageNamesIn(const QString& dir) {
    return QDir(dir).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

QSet<QString> idsOf(const QString& html) {
    static const QRegularExpression id(QStringLiteral(R"re(\sid="([^"]+)")re"));
    QSet<QString> ids;
    for (const QRegularExpressionMatch& m : id.globalMatch(html))
        ids.insert(m.captured(1));
    return ids;
}

QStringList linksOf(const QString& html) {
    static const QRegularExpression link(QStringLiteral(R"re(\s(?:href|src)="([^"]*)")re"));
    QStringList links;
    for (const QRegularExpressionMatch& m : link.globalMatch(html))
        links << m.captured(1);
    return links;
}

QString langOf(const QString& html) {
    static const QRegularExpression lang(QStringLiteral(R"re(<html\s+lang="([^"]+)")re"));
    return lang.match(html).captured(1);
}

QStringList sorted(const QSet<QString>& set) {
    QStringList list(set.begin(), set.end());
    list.sort();
    return list;
}

} // namespace

TEST(ManualInBuildTree, IsWhereHelpLooksFromTheBinFolder) {
    const QString expected =
        QDir::cleanPath(BinDir + "/" SORTEKA_TEST_MANUAL_FROM_BIN "/index.html");
    EXPECT_EQ(expected, QDir::cleanPath(ManualDir + "/index.html"));
    EXPECT_TRUE(QFileInfo(expected).isFile()) << expected.toStdString();
    EXPECT_TRUE(QFileInfo(EnglishDir + "/index.html").isFile());

    // Test programs live in a sibling of bin/, so the program's own lookup run
    // from here must land on the same file.
    ASSERT_EQ(QDir::cleanPath(QCoreApplication::applicationDirPath() + "/.."),
              QDir::cleanPath(BinDir + "/.."));
    EXPECT_EQ(platform::installedManualFile(), expected);
}

TEST(ManualPages, EveryLocalLinkReachesAnExistingFileAndAnchor) {
    static const QRegularExpression fetchedFromOutside(
        QStringLiteral(R"re(<script|\ssrc="[a-z]+:|<link[^>]*href="[a-z]+:)re"));
    const QStringList pages = allPages();
    ASSERT_FALSE(pages.isEmpty());
    QStringList broken;
    int checked = 0;
    for (const QString& page : pages) {
        const QString html = readText(page);
        if (fetchedFromOutside.match(html).hasMatch())
            broken << page + ": script or outside resource";
        for (const QString& link : linksOf(html)) {
            const QUrl url(link);
            if (!url.scheme().isEmpty())
                continue; // a web address: a link, never loaded by the page itself
            ++checked;
            const QString target =
                url.path().isEmpty() ? page : QFileInfo(page).dir().absoluteFilePath(url.path());
            if (!QFileInfo(target).isFile()) {
                broken << page + ": " + link + " (no such file)";
                continue;
            }
            if (url.hasFragment() && !idsOf(readText(target)).contains(url.fragment()))
                broken << page + ": " + link + " (no such anchor)";
        }
    }
    EXPECT_GT(checked, 0);
    EXPECT_TRUE(broken.isEmpty()) << broken.join('\n').toStdString();
}

TEST(ManualPages, BothLanguagesHaveTheSamePagesAndSections) {
    const QStringList japanese = pageNamesIn(ManualDir);
    ASSERT_FALSE(japanese.isEmpty());
    EXPECT_EQ(japanese, pageNamesIn(EnglishDir));

    for (const QString& name : japanese) {
        const QString ja = readText(ManualDir + "/" + name);
        const QString en = readText(EnglishDir + "/" + name);
        EXPECT_EQ(langOf(ja), "ja") << name.toStdString();
        EXPECT_EQ(langOf(en), "en") << name.toStdString();
        const QSet<QString> jaIds = idsOf(ja);
        const QSet<QString> enIds = idsOf(en);
        EXPECT_FALSE(jaIds.isEmpty()) << name.toStdString();
        EXPECT_EQ(jaIds, enIds) << name.toStdString() << "\nonly in Japanese: "
                                << sorted(jaIds - enIds).join(' ').toStdString()
                                << "\nonly in English: "
                                << sorted(enIds - jaIds).join(' ').toStdString();
    }
}
