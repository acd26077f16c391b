// The directory chooser as a window: its form, the list it shows for a real
// folder tree, moving through it by double-click, Enter and the volume
// selector, the process's current directory following it, its result, and
// making a directory.

#include "dialogs/Dirbrowse.h"
#include "dialogs/DirbrowseList.h"
#include "dialogs/MessageBoxPrompter.h"
#include "platform/Paths.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString MkDirFailure = QStringLiteral("作成に失敗しました\n不正な名前かすでに存在しています");

QStringList captionsOf(const QListWidget& list) {
    QStringList captions;
    for (int row = 0; row < list.count(); ++row)
        captions << list.item(row)->text();
    return captions;
}

// Every test starts from a tree of its own and gives the process its current
// directory back afterwards.
class DirbrowseTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = platform::currentDirectory();
        root = QDir(dir.path()).canonicalPath();
        for (const char* name : {"Beta", "alpha", ".hidden", "gamma/inner", "gamma/.secret"})
            dir.mkdir(name);
        dir.write("file.jpg", "x");
    }
    void TearDown() override { platform::setCurrentDirectory(saved_); }

    std::unique_ptr<TfrmDirBrowse> makeChooser(const QString& start) {
        auto chooser = std::make_unique<TfrmDirBrowse>(prompter, nullptr, QStringList{"/", root});
        chooser->BrowseDir = start;
        return chooser;
    }

    // The captions of the chain from "/" down to `path`.
    static QStringList chainCaptions(const QString& path) {
        QStringList captions{"/"};
        captions << path.split(u'/', Qt::SkipEmptyParts);
        return captions;
    }

    static void doubleClick(QListWidget& list, int row) {
        const QRect rect = list.visualItemRect(list.item(row));
        // What a mouse sends: click, then the second press as a double-click.
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, rect.center());
    }

    TempDir dir;
    QString root;
    ScriptedPrompter prompter;

private:
    QString saved_;
};

TEST_F(DirbrowseTest, FormHasItsCaptionSizeAndControls) {
    TfrmDirBrowse chooser(prompter);
    EXPECT_EQ(chooser.windowTitle(), "ディレクトリ選択");
    EXPECT_EQ(chooser.size(), QSize(257, 284));
    EXPECT_EQ(chooser.minimumSize(), chooser.maximumSize());
    EXPECT_EQ(chooser.pos(), QPoint(621, 410));
    EXPECT_EQ(chooser.font().pixelSize(), 12);
    EXPECT_TRUE(chooser.BrowseDir.isEmpty());
    EXPECT_FALSE(chooser.ShowMkDir);

    EXPECT_EQ(chooser.lblDrive->text(), "ドライブ(&D)");
    EXPECT_EQ(chooser.lblDrive->pos(), QPoint(8, 8));
    EXPECT_EQ(chooser.lblDrive->buddy(), chooser.drvCombo);
    EXPECT_EQ(chooser.drvCombo->geometry(), QRect(8, 24, 241, 18));
    EXPECT_EQ(chooser.lblDirectory->text(), "フォルダ(&F)");
    EXPECT_EQ(chooser.lblDirectory->pos(), QPoint(8, 48));
    EXPECT_EQ(chooser.lblDirectory->buddy(), chooser.dirList);
    EXPECT_EQ(chooser.dirList->geometry(), QRect(8, 64, 241, 177));
    EXPECT_EQ(chooser.cmdMkDir->text(), "作成(&C)...");
    EXPECT_EQ(chooser.cmdMkDir->geometry(), QRect(8, 248, 73, 25));
    EXPECT_EQ(chooser.cmdOK->text(), "OK");
    EXPECT_EQ(chooser.cmdOK->geometry(), QRect(96, 248, 73, 25));
    EXPECT_TRUE(chooser.cmdOK->isDefault());
    EXPECT_EQ(chooser.cmdCancel->text(), "Cancel");
    EXPECT_EQ(chooser.cmdCancel->geometry(), QRect(176, 248, 73, 25));
    EXPECT_FALSE(chooser.cmdCancel->isDefault());

    // The tab order of the controls.
    const QList<QWidget*> controls{chooser.drvCombo, chooser.dirList, chooser.cmdMkDir,
                                   chooser.cmdOK, chooser.cmdCancel};
    QList<QWidget*> order;
    for (QWidget* w = chooser.drvCombo; order.size() < controls.size(); w = w->nextInFocusChain())
        if (controls.contains(w) && !order.contains(w))
            order << w;
    EXPECT_EQ(order, controls);

    // The selector offers the root first; rows are 16 pixels high.
    EXPECT_EQ(chooser.drvCombo->itemText(0), "/");
    ASSERT_GT(chooser.dirList->count(), 0);
    EXPECT_EQ(chooser.dirList->sizeHintForRow(0), 16);
}

TEST_F(DirbrowseTest, ListShowsThePathThenSortedVisibleSubdirectories) {
    auto chooser = makeChooser(root);
    chooser->show();

    EXPECT_EQ(chooser->directory(), root);
    EXPECT_EQ(platform::currentDirectory(), root);
    EXPECT_EQ(captionsOf(*chooser->dirList),
              (chainCaptions(root) + QStringList{"alpha", "Beta", "gamma"}));

    const int currentRow = static_cast<int>(chainCaptions(root).size()) - 1;
    EXPECT_EQ(chooser->dirList->currentRow(), currentRow);
    const QListWidgetItem* gamma = chooser->dirList->item(currentRow + 3);
    EXPECT_EQ(gamma->data(TfrmDirBrowse::LevelRole).toInt(), currentRow + 1);
    EXPECT_EQ(gamma->data(TfrmDirBrowse::KindRole).toInt(), int(DirEntryKind::ClosedFolder));
    EXPECT_FALSE(gamma->icon().isNull());
    EXPECT_EQ(gamma->data(TfrmDirBrowse::PathRole).toString(), root + "/gamma");
    // The selector shows the volume the directory lies on.
    EXPECT_EQ(chooser->drvCombo->currentIndex(), 1);
}

TEST_F(DirbrowseTest, DoubleClickOpensAChildOrAnEntryOfThePath) {
    auto chooser = makeChooser(root);
    chooser->show();
    const int currentRow = chooser->dirList->currentRow();

    doubleClick(*chooser->dirList, currentRow + 3); // gamma
    EXPECT_EQ(chooser->directory(), root + "/gamma");
    EXPECT_EQ(platform::currentDirectory(), root + "/gamma");
    EXPECT_EQ(captionsOf(*chooser->dirList),
              (chainCaptions(root + "/gamma") + QStringList{"inner"}));

    doubleClick(*chooser->dirList, currentRow - 1); // the parent of the tree
    const QString parent = QDir::cleanPath(root + "/..");
    EXPECT_EQ(chooser->directory(), parent);
    EXPECT_EQ(platform::currentDirectory(), parent);

    doubleClick(*chooser->dirList, 0);
    EXPECT_EQ(chooser->directory(), "/");
    EXPECT_EQ(platform::currentDirectory(), "/");
    EXPECT_EQ(chooser->drvCombo->currentIndex(), 0);
    EXPECT_TRUE(prompter.errors.isEmpty());
}

TEST_F(DirbrowseTest, EnterOpensTheHighlightedEntryAndOnTheOpenOneAccepts) {
    auto chooser = makeChooser(root);
    chooser->show();
    const int currentRow = chooser->dirList->currentRow();

    chooser->dirList->setCurrentRow(currentRow + 1); // alpha
    QTest::keyClick(chooser->dirList, Qt::Key_Return);
    EXPECT_EQ(chooser->directory(), root + "/alpha");
    EXPECT_TRUE(chooser->isVisible());

    QTest::keyClick(chooser->dirList, Qt::Key_Return);
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(chooser->result(), 1);
    EXPECT_EQ(chooser->BrowseDir, root + "/alpha");
}

TEST_F(DirbrowseTest, OkReturnsTheOpenDirectoryNotTheHighlightedOne) {
    auto chooser = makeChooser(root + "/gamma/");
    QTimer::singleShot(0, chooser.get(), [&] {
        chooser->dirList->setCurrentRow(chooser->dirList->count() - 1); // inner, highlighted only
        chooser->cmdOK->click();
    });
    EXPECT_EQ(chooser->exec(), 1);
    EXPECT_EQ(chooser->BrowseDir, root + "/gamma");
    EXPECT_EQ(platform::currentDirectory(), root + "/gamma");
}

TEST_F(DirbrowseTest, OkAtTheRootKeepsItsSeparator) {
    auto chooser = makeChooser("/");
    chooser->show();
    EXPECT_EQ(platform::currentDirectory(), "/");
    chooser->cmdOK->click();
    EXPECT_EQ(chooser->result(), 1);
    EXPECT_EQ(chooser->BrowseDir, "/");
}

TEST_F(DirbrowseTest, CancelKeepsTheStartButTheCurrentDirectoryStaysWhereTheListWas) {
    const QString start = root + "/gamma";
    auto chooser = makeChooser(start);
    QTimer::singleShot(0, chooser.get(), [&] {
        chooser->dirListDblClick(chooser->dirList->count() - 1); // inner
        chooser->cmdCancel->click();
    });
    EXPECT_EQ(chooser->exec(), 2);
    EXPECT_EQ(chooser->BrowseDir, start);
    chooser.reset();
    EXPECT_EQ(platform::currentDirectory(), start + "/inner");

    // Esc and the window frame cancel the same way.
    auto again = makeChooser(start);
    QTimer::singleShot(0, again.get(), [&] { QTest::keyClick(again.get(), Qt::Key_Escape); });
    EXPECT_EQ(again->exec(), 2);
    QTimer::singleShot(0, again.get(), [&] { again->close(); });
    EXPECT_EQ(again->exec(), 2);
    EXPECT_EQ(again->BrowseDir, start);
}

TEST_F(DirbrowseTest, EmptyStartOrTheCurrentDirectoryLeavesTheListWhereItWas) {
    ASSERT_TRUE(platform::setCurrentDirectory(root + "/alpha"));
    auto chooser = makeChooser(QString());
    chooser->show();
    EXPECT_EQ(chooser->directory(), root + "/alpha");

    auto same = makeChooser(root + "/alpha/");
    same->show();
    EXPECT_EQ(same->directory(), root + "/alpha");
    EXPECT_TRUE(prompter.errors.isEmpty());
}

TEST_F(DirbrowseTest, MakeDirectoryButtonFollowsShowMkDir) {
    auto hidden = makeChooser(root);
    hidden->show();
    EXPECT_FALSE(hidden->cmdMkDir->isVisible());

    auto shown = makeChooser(root);
    shown->ShowMkDir = true;
    shown->show();
    EXPECT_TRUE(shown->cmdMkDir->isVisible());
}

TEST_F(DirbrowseTest, MakeDirectoryCreatesAndListsItUnderTheOpenDirectory) {
    auto chooser = makeChooser(root);
    chooser->ShowMkDir = true;
    chooser->show();
    prompter.inputAnswers = {QString("Delta"), QString("alpha/deeper")};

    chooser->cmdMkDir->click();
    EXPECT_EQ(prompter.inputPrompts, QStringList{"フォルダ作成|" + root + "の下に作成します"});
    EXPECT_EQ(prompter.inputInitials, QStringList{QString()});
    EXPECT_EQ(prompter.inputMaxLengths, QList<int>{255});
    EXPECT_TRUE(QDir(root + "/Delta").exists());
    EXPECT_EQ(captionsOf(*chooser->dirList),
              (chainCaptions(root) + QStringList{"alpha", "Beta", "Delta", "gamma"}));
    EXPECT_EQ(chooser->directory(), root);
    EXPECT_EQ(chooser->dirList->currentItem()->text(), chainCaptions(root).back());
    EXPECT_EQ(platform::currentDirectory(), root);

    // A name with a "/" makes a deeper directory whose parent exists.
    chooser->cmdMkDir->click();
    EXPECT_TRUE(QDir(root + "/alpha/deeper").exists());
    EXPECT_TRUE(prompter.warnings.isEmpty());
}

TEST_F(DirbrowseTest, MakeDirectoryWarnsWhenTheNameCannotBeCreated) {
    auto chooser = makeChooser(root);
    chooser->ShowMkDir = true;
    chooser->show();
    const QStringList before = captionsOf(*chooser->dirList);
    prompter.inputAnswers = {QString("alpha"), QString(), QString("missing/child"), std::nullopt};

    for (int i = 0; i < 4; ++i)
        chooser->cmdMkDirClick();
    EXPECT_EQ(prompter.warnings, QStringList(3, MkDirFailure));
    EXPECT_FALSE(QDir(root + "/missing").exists());
    EXPECT_EQ(captionsOf(*chooser->dirList), before);
    EXPECT_EQ(chooser->directory(), root);
}

TEST_F(DirbrowseTest, StartThatCannotBeEnteredIsReportedAndTheChooserStillWorks) {
    ASSERT_TRUE(platform::setCurrentDirectory(root + "/gamma"));
    const QString missing = root + "/missing";
    auto chooser = makeChooser(missing);
    chooser->show();

    ASSERT_EQ(prompter.errors.size(), 1);
    EXPECT_TRUE(prompter.errors[0].contains(missing)) << prompter.errors[0].toStdString();
    EXPECT_EQ(chooser->directory(), root + "/gamma");
    EXPECT_EQ(captionsOf(*chooser->dirList),
              (chainCaptions(root + "/gamma") + QStringList{"inner"}));
    EXPECT_EQ(chooser->drvCombo->currentIndex(), 1);
    EXPECT_EQ(chooser->BrowseDir, missing);

    chooser->dirListDblClick(chooser->dirList->count() - 1);
    chooser->cmdOK->click();
    EXPECT_EQ(chooser->BrowseDir, root + "/gamma/inner");

    // A file is no directory to start in either.
    auto onFile = makeChooser(root + "/file.jpg");
    onFile->show();
    EXPECT_EQ(prompter.errors.size(), 2);
    EXPECT_EQ(onFile->directory(), root + "/gamma/inner");
}

TEST_F(DirbrowseTest, VolumeSelectorReturnsToTheDirectoryLastShownOnEachVolume) {
    const QString v1 = dir.mkdir("v1");
    const QString v2 = dir.mkdir("v2");
    dir.mkdir("v1/deep");
    dir.mkdir("v2/x");
    TfrmDirBrowse chooser(prompter, nullptr, {"/", root + "/v1", root + "/v2/", root + "/gone"});
    chooser.BrowseDir = root + "/v1/deep";
    chooser.show();
    EXPECT_EQ(chooser.drvCombo->currentIndex(), 1);
    EXPECT_EQ(chooser.drvCombo->itemText(2), root + "/v2");

    emit chooser.drvCombo->activated(2);
    EXPECT_EQ(chooser.directory(), root + "/v2");
    EXPECT_EQ(platform::currentDirectory(), root + "/v2");
    EXPECT_EQ(chooser.drvCombo->currentIndex(), 2);
    chooser.dirListDblClick(chooser.dirList->count() - 1);
    EXPECT_EQ(chooser.directory(), root + "/v2/x");

    chooser.drvComboChange(1);
    EXPECT_EQ(chooser.directory(), root + "/v1/deep");
    chooser.drvComboChange(2);
    EXPECT_EQ(chooser.directory(), root + "/v2/x");

    // A remembered directory that is gone falls back to the volume itself.
    chooser.drvComboChange(1);
    ASSERT_TRUE(QDir(root + "/v2").rmdir("x"));
    chooser.drvComboChange(2);
    EXPECT_EQ(chooser.directory(), root + "/v2");
    EXPECT_TRUE(prompter.errors.isEmpty());

    // A volume that cannot be entered: reported, and nothing moves.
    chooser.drvCombo->setCurrentIndex(3);
    emit chooser.drvCombo->activated(3);
    ASSERT_EQ(prompter.errors.size(), 1);
    EXPECT_TRUE(prompter.errors[0].contains(root + "/gone"));
    EXPECT_EQ(chooser.directory(), root + "/v2");
    EXPECT_EQ(platform::currentDirectory(), root + "/v2");
    EXPECT_EQ(chooser.drvCombo->currentIndex(), 2);
}

TEST_F(DirbrowseTest, InputBoxHasItsButtonsAndLengthLimit) {
    MessageBoxPrompter real;
    QStringList buttons;
    int maxLength = 0;
    QString title;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        for (const QPushButton* button : box->findChildren<QPushButton*>())
            buttons << button->text();
        auto* edit = box->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        maxLength = edit->maxLength();
        QTest::keyClicks(edit, "new");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    const std::optional<QString> answer =
        real.inputText("フォルダ作成", "/tmpの下に作成します", QString(), 255);
    EXPECT_EQ(title, "フォルダ作成");
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"OK", "ｷｬﾝｾﾙ"}));
    EXPECT_EQ(maxLength, 255);
    EXPECT_EQ(answer, QString("new"));
}

} // namespace
