#include "core/ClashCheck.h"
#include "platform/NativePath.h"
#include "support/AsOrdinaryUser.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <array>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Bytes that differ from one chunk of the comparison to the next.
QByteArray pictureBytes(qsizetype size, char seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + seed) & 0xff);
    return bytes;
}

void setModified(const QString& path, const QDateTime& when) {
    const timespec times[2] = {{when.toSecsSinceEpoch(), 0}, {when.toSecsSinceEpoch(), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

void setMode(const QString& path, mode_t mode) {
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

using Content = Clash::Content;

} // namespace

TEST(ClashCheck, MarksEveryDestinationHoldingTheNameAndComparesContent) {
    TempDir tmp;
    // More than one chunk, so a difference in the last byte is found only at the end.
    const QByteArray picture = pictureBytes(600 * 1024, 1);
    QByteArray lastByteOther = picture;
    lastByteOther[lastByteOther.size() - 1] = char(~lastByteOther.back());
    const QString source = tmp.write("source/tama.jpg", picture);
    const QDateTime older(QDate(2024, 5, 1), QTime(12, 34));

    struct Destination {
        const char* what;
        QString folder;
        std::optional<Content> expected; // nothing: no clash
    };
    const std::array<Destination, 9> destinations = {{
        {"missing folder", tmp.file("missing"), std::nullopt},
        {"same size, last byte differs", tmp.write("a/tama.jpg", lastByteOther).chopped(9),
         Content::Different},
        {"same content", tmp.write("b/tama.jpg", picture).chopped(9), Content::Same},
        {"other size", tmp.write("c/tama.jpg", "short").chopped(9), Content::Different},
        {"unreadable", tmp.write("d/tama.jpg", picture).chopped(9), Content::Unreadable},
        {"a file, not a folder", tmp.write("e", "not a folder"), std::nullopt},
        {"no destination", QString(), std::nullopt},
        {"the source folder itself", tmp.file("source"), Content::Same},
        {"a folder of that name", tmp.mkdir("f/tama.jpg").chopped(9), std::nullopt},
    }};
    setModified(tmp.file("b/tama.jpg"), older);
    // The unreadable one must be reachable for the ordinary user the check runs as.
    for (const char* folder : {"", "/source", "/source/tama.jpg", "/d", "/e", "/f"})
        setMode(tmp.path() + folder, 0755);
    setMode(tmp.file("d/tama.jpg"), 0);

    QStringList folders;
    for (const Destination& d : destinations)
        folders.append(d.folder);
    const AsOrdinaryUser ordinary;
    ClashCheck check;
    QSignalSpy changed(&check, &ClashCheck::changed);
    // A relative path is taken as of now, against the current directory.
    const QString saved = QDir::currentPath();
    QDir::setCurrent(tmp.path());
    check.check("source/tama.jpg", folders);
    QDir::setCurrent(saved);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(check.picture(), source);

    // The marks are there at once; the contents follow.
    for (int number = 1; number <= int(destinations.size()); ++number) {
        const Destination& d = destinations[size_t(number - 1)];
        SCOPED_TRACE(d.what);
        const Clash* clash = check.clashAt(number);
        ASSERT_EQ(clash != nullptr, d.expected.has_value());
        if (clash) {
            EXPECT_EQ(clash->path, d.folder + "/tama.jpg");
        }
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !check.comparing(); }));
    for (int number = 1; number <= int(destinations.size()); ++number) {
        const Destination& d = destinations[size_t(number - 1)];
        SCOPED_TRACE(d.what);
        if (const Clash* clash = check.clashAt(number)) {
            EXPECT_EQ(clash->content, *d.expected);
        }
    }

    const Clash* same = check.clashAt(3);
    EXPECT_EQ(same->size, picture.size());
    EXPECT_EQ(same->modified, older);
    EXPECT_EQ(
        clashDescription(*same),
        QStringLiteral("同じ名前のファイルがあります: 614,400 バイト, 2024/05/01 12:34\n同じ内容"));
    EXPECT_FALSE(clashDescription(*check.clashAt(2)).contains(QStringLiteral("同じ内容")));

    check.clear();
    EXPECT_TRUE(check.clashes().isEmpty());
    EXPECT_TRUE(check.picture().isEmpty());
}

TEST(ClashCheck, ANewerPictureDropsWhatTheOlderOneWouldHaveFound) {
    TempDir tmp;
    // Large enough that comparing nine copies takes a while.
    const QByteArray big = pictureBytes(8 * 1024 * 1024, 2);
    tmp.write("source/big.png", big);
    tmp.write("source/small.png", "small");
    QStringList folders;
    for (int n = 1; n <= 9; ++n)
        folders.append(QFileInfo(tmp.write(QStringLiteral("d%1/big.png").arg(n), big)).path());
    tmp.write("d5/small.png", "small");

    ClashCheck check;
    // Every change after the newer picture arrived must be about it alone.
    bool olderSeen = false;
    bool newer = false;
    QObject::connect(&check, &ClashCheck::changed, [&] {
        if (newer && (check.clashes().size() != 1 || check.clashAt(5) == nullptr))
            olderSeen = true;
    });
    check.check(tmp.file("source/big.png"), folders);
    EXPECT_EQ(check.clashes().size(), 9);
    newer = true;
    check.check(tmp.file("source/small.png"), folders);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !check.comparing(); }));
    EXPECT_EQ(check.clashAt(5)->content, Content::Same);
    // Let whatever the older comparison posted arrive.
    QCoreApplication::processEvents();
    EXPECT_FALSE(olderSeen);
    EXPECT_EQ(check.clashes().size(), 1);

    // Going away in the middle of a comparison stops it.
    {
        ClashCheck leaving;
        leaving.check(tmp.file("source/big.png"), folders);
    }
}

TEST(ClashCheck, FindsANameThatIsNotUtf8) {
    TempDir tmp;
    // "日本.bmp" in Shift-JIS, as names copied from old systems are.
    const QByteArray name = "\x93\xfa\x96\x7b.bmp";
    const QByteArray root = QFile::encodeName(tmp.path());
    for (const QByteArray& folder : {root + "/source", root + "/dest"}) {
        ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
        const int fd = ::open((folder + "/" + name).constData(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "picture", 7), 7);
        ::close(fd);
    }
    ClashCheck check;
    check.check(platform::decodePath(root + "/source/" + name),
                {platform::decodePath(root + "/dest")});
    ASSERT_NE(check.clashAt(1), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !check.comparing(); }));
    EXPECT_EQ(check.clashAt(1)->content, Content::Same);
}
