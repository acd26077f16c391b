#include "app/Main.h"
#include "dialogs/Dirbrowse.h"
#include "graphics/PicturePreview.h"
#include "platform/NativePath.h"
#include "settings/RegIniFile.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using State = PictureBrowser::SearchState;

class Browsing : public ::testing::Test {
protected:
    TempDir tmp;
    ScriptedPrompter prompter;
    TfrmMain window{prompter};

    QString writeBmp(const QString& relative, QColor colour) {
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = tmp.file(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }
    QRgb shownColour() const { return window.imgPreview->picture()->image().pixel(0, 0); }
    // The second panel's text, or the whole path its tooltip holds.
    QString panel2() const {
        const QLabel* panel = window.statusPanels[1];
        return panel->toolTip().isEmpty() ? panel->text() : panel->toolTip();
    }
    PictureBrowser& browser() { return window.browser(); }
    void setDestination(int number, const QString& directory) {
        TRegIniFile store(settings::KeyPath);
        TDestinations destinations = settings::readDestinations(store);
        destinations.at(static_cast<std::size_t>(number - 1)).Directory = directory;
        settings::writeDestinations(store, destinations);
        window.LoadDirList();
    }
};

} // namespace

TEST_F(Browsing, TwoPicturesInNameOrderThenTheEnd) {
    // As a file manager lists them: case aside, digit runs as numbers.
    writeBmp("pics/IMG_10.bmp", Qt::blue);
    writeBmp("pics/img_2.bmp", Qt::red);
    const QString folder = tmp.file("pics");
    const QStringList order = {"img_2.bmp", "IMG_10.bmp"};

    window.OpenDirectory(folder);
    EXPECT_EQ(window.windowTitle(), "Sorteka for Windows - " + folder);
    EXPECT_EQ(browser().CurrentDir, folder + "/");
    EXPECT_EQ(browser().CurrentFile, order[0]);
    EXPECT_EQ(panel2(), folder + "/" + order[0]);
    // The path loses its middle in the narrow panel, never the file name.
    EXPECT_TRUE(window.statusPanels[1]->text().endsWith("/" + order[0]))
        << qPrintable(window.statusPanels[1]->text());
    EXPECT_EQ(browser().searchState(), State::Running);

    // The last picture is noticed as the last while it is shown.
    QChar space(u' ');
    window.FormKeyPress(space);
    EXPECT_EQ(browser().CurrentFile, order[1]);
    EXPECT_EQ(shownColour(), QColor(Qt::blue).rgb());
    EXPECT_EQ(panel2(), PictureBrowser::EndOfSearchText);
    EXPECT_EQ(browser().searchState(), State::None);

    // One more step empties the current file but keeps the picture on screen.
    window.FormKeyPress(space);
    EXPECT_EQ(browser().CurrentFile, "");
    EXPECT_TRUE(window.imgPreview->hasPicture());
    EXPECT_TRUE(prompter.warnings.isEmpty());
}

TEST_F(Browsing, FilesThatDoNotLoadAreSkippedQuietlyOnceAPictureWasShown) {
    writeBmp("mixed/b.bmp", Qt::green);
    tmp.write("mixed/a.txt", "text");
    tmp.write("mixed/c.xyz", "what");
    tmp.write("mixed/d.bmp", "BM but broken");
    const QString folder = tmp.file("mixed");

    window.OpenDirectory(folder);
    EXPECT_EQ(browser().CurrentFile, "b.bmp");
    // Files after the picture fail to load: the end is reached quietly.
    EXPECT_EQ(panel2(), folder + "/b.bmp");
    QChar space(u' ');
    window.FormKeyPress(space);
    EXPECT_EQ(panel2(), PictureBrowser::EndOfSearchText);
    EXPECT_EQ(browser().CurrentFile, "b.bmp");
    EXPECT_EQ(shownColour(), QColor(Qt::green).rgb());
    EXPECT_TRUE(prompter.warnings.isEmpty());
    window.FormKeyPress(space);
    EXPECT_EQ(browser().CurrentFile, "");
}

TEST_F(Browsing, AFolderWithoutFilesOrWithoutPictures) {
    tmp.mkdir("empty/sub");
    tmp.write("empty/.hidden.bmp", "");
    window.OpenDirectory(tmp.file("empty"));
    EXPECT_EQ(prompter.warnings, QStringList{PictureBrowser::NoFilesMessage});
    EXPECT_EQ(browser().searchState(), State::Exhausted);
    EXPECT_EQ(window.windowTitle(), "Sorteka for Windows - " + tmp.file("empty"));
    QChar space(u' ');
    window.FormKeyPress(space);
    EXPECT_EQ(prompter.warnings.last(), PictureBrowser::NothingReadableMessage);
    EXPECT_EQ(panel2(), PictureBrowser::EndOfSearchText);
    EXPECT_EQ(browser().searchState(), State::None);

    prompter.warnings.clear();
    window.OpenDirectory(tmp.file("does-not-exist"));
    EXPECT_EQ(prompter.warnings, QStringList{PictureBrowser::NoFilesMessage});

    prompter.warnings.clear();
    tmp.write("junk/a.txt", "x");
    tmp.write("junk/b.bmp", "");
    window.OpenDirectory(tmp.file("junk"));
    EXPECT_EQ(prompter.warnings, QStringList{PictureBrowser::NothingReadableMessage});
    EXPECT_EQ(browser().searchState(), State::None);
    EXPECT_FALSE(window.imgPreview->hasPicture());
}

TEST_F(Browsing, TheRootKeepsOneSeparatorAndRelativePathsStayRelative) {
    window.OpenDirectory("/");
    EXPECT_EQ(browser().CurrentDir, "/");
    EXPECT_EQ(window.windowTitle(), "Sorteka for Windows - /");

    writeBmp("rel/p.bmp", Qt::red);
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(tmp.path()));
    window.OpenDirectory("rel");
    QDir::setCurrent(saved);
    EXPECT_EQ(browser().CurrentDir, "rel/");
    EXPECT_EQ(browser().CurrentFile, "p.bmp");
    EXPECT_EQ(window.imgPreview->picture()->image().pixel(0, 0), QColor(Qt::red).rgb());
}

TEST_F(Browsing, TheCommandLineOpensEachFolderUpToTheFirstSwitch) {
    writeBmp("a/1.bmp", Qt::red);
    writeBmp("b/2.bmp", Qt::blue);
    window.commandLine = {tmp.file("a"), tmp.file("b")};
    window.FormShow();
    EXPECT_EQ(window.windowTitle(), "Sorteka for Windows - " + tmp.file("b"));

    window.commandLine = {tmp.file("b"), "-x", tmp.file("a")};
    window.FormShow();
    EXPECT_EQ(window.windowTitle(), "Sorteka for Windows - " + tmp.file("b"));
    EXPECT_EQ(prompter.warnings, QStringList{"コマンドラインが無効です"});
}

TEST_F(Browsing, DigitKeysSortAndShowTheNextPicture) {
    writeBmp("in/one.bmp", Qt::red);
    writeBmp("in/two.bmp", Qt::blue);
    const QString out = tmp.mkdir("out");
    setDestination(3, out);
    window.setMethodIndex(1); // move
    window.OpenDirectory(tmp.file("in"));
    const QString first = browser().CurrentFile;

    window.show();
    QApplication::setActiveWindow(&window);
    window.lvDirList->setFocus();
    QTest::keyClick(window.lvDirList, Qt::Key_3);
    EXPECT_TRUE(QFileInfo::exists(out + "/" + first));
    EXPECT_FALSE(QFileInfo::exists(tmp.file("in/" + first)));
    EXPECT_EQ(
        window.messageLog().lines(),
        QStringList{QString("移動(3): %1 → %2").arg(tmp.file("in/" + first), out + "/" + first)});
    EXPECT_NE(browser().CurrentFile, first);

    // The toolbar button does what the digit key does; letters and "0" nothing.
    window.setMethodIndex(0);
    const QString second = browser().CurrentFile;
    QTest::keyClicks(window.lvDirList, "0a");
    window.tbNum[2]->trigger();
    EXPECT_TRUE(QFileInfo::exists(out + "/" + second));
    EXPECT_TRUE(QFileInfo::exists(tmp.file("in/" + second)));
    EXPECT_EQ(window.messageLog().lines().size(), 2);
    // The end was noticed when the last picture was shown, so the step after
    // its copy finds no search and nothing is current any more.
    EXPECT_EQ(browser().CurrentFile, "");
    window.tbNum[2]->trigger();
    EXPECT_EQ(window.messageLog().lines().size(), 2);
}

TEST_F(Browsing, TheOpenCommandOpensTheChosenFolder) {
    writeBmp("chosen/p.bmp", Qt::red);
    const QString saved = QDir::currentPath();
    const auto answerWith = [](bool ok) {
        QTimer::singleShot(0, [ok] {
            auto* chooser = qobject_cast<TfrmDirBrowse*>(QApplication::activeModalWidget());
            ASSERT_NE(chooser, nullptr);
            EXPECT_EQ(frmDirBrowse, chooser);
            EXPECT_FALSE(chooser->cmdMkDir->isVisible());
            ok ? chooser->cmdOKClick() : chooser->cmdCancelClick();
        });
    };

    browser().CurrentDir = tmp.file("chosen") + "/";
    answerWith(false);
    window.mnuFileDirOpenClick();
    EXPECT_EQ(browser().CurrentFile, "");
    EXPECT_EQ(window.windowTitle(), "Sorteka for Windows");
    EXPECT_EQ(frmDirBrowse, nullptr);

    answerWith(true);
    window.tbDirOpen->trigger();
    QDir::setCurrent(saved);
    EXPECT_EQ(window.windowTitle(), "Sorteka for Windows - " + tmp.file("chosen"));
    EXPECT_EQ(browser().CurrentFile, "p.bmp");
}

namespace {

// Writes `bytes` to the file whose name is exactly `name` (no text decoding).
void writeRaw(const QByteArray& name, const QByteArray& bytes) {
    QFile file;
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << name.constData();
    ASSERT_TRUE(file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
    file.write(bytes);
}

QByteArray readRaw(const QByteArray& name) {
    QFile file;
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return {};
    return file.readAll();
}

// Removes a folder's files by their own bytes (Qt cannot name them).
void removeFilesOf(const QByteArray& folder) {
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.')
                ::unlinkat(::dirfd(dir), entry->d_name, 0);
        ::closedir(dir);
    }
}

} // namespace

TEST_F(Browsing, NamesThatAreNotUtf8AreShownAndSortedByTheirOwnBytes) {
    QByteArray picture;
    QBuffer buffer(&picture);
    buffer.open(QIODevice::WriteOnly);
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.save(&buffer, "BMP");

    // A folder and two pictures named in bytes that are no UTF-8 (the second
    // is Shift-JIS), and a picture whose name is what they would look like.
    const QByteArray folder = QFile::encodeName(tmp.path()) + "/photos\xff";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const QList<QByteArray> names = {"\xff\xfe.bmp", "\x82\xa0.bmp"};
    for (const QByteArray& name : names)
        writeRaw(folder + '/' + name, picture);
    const QByteArray lookAlike = folder + "/\xef\xbf\xbd\xef\xbf\xbd.bmp";
    writeRaw(lookAlike, "not a picture");
    const QString out = tmp.mkdir("out");
    setDestination(1, out);

    window.OpenDirectory(platform::decodePath(folder));
    EXPECT_TRUE(window.windowTitle().endsWith(u"photos\uFFFD"));
    for (int shown = 0; shown < 2; ++shown) {
        ASSERT_FALSE(browser().CurrentFile.isEmpty());
        QChar one(u'1');
        window.FormKeyPress(one);
    }
    EXPECT_EQ(window.messageLog().lines().size(), 2);
    EXPECT_TRUE(window.messageLog().lines()[0].contains(u"\uFFFD"));
    const QByteArray copies = QFile::encodeName(out);
    for (const QByteArray& name : names)
        EXPECT_EQ(readRaw(copies + '/' + name), picture);
    EXPECT_EQ(readRaw(lookAlike), "not a picture");
    EXPECT_TRUE(readRaw(copies + "/\xef\xbf\xbd\xef\xbf\xbd.bmp").isEmpty());
    removeFilesOf(folder);
    removeFilesOf(copies);
    ::rmdir(folder.constData());
}
