// The options dialog as a window: its controls and their places, the grid's
// fixed header row and column and its in-place editing, the plug-in directory
// controls following their check box, and the two "..." buttons running the
// directory chooser.

#include "OptionTestSupport.h"
#include "dialogs/Dirbrowse.h"
#include "dialogs/FormFont.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

QRect cellRect(const StringGrid& grid, int row, int column) {
    return grid.visualRect(grid.model()->index(row, column));
}

void clickCell(StringGrid& grid, int row, int column, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers,
                      cellRect(grid, row, column).center());
}

// Runs `inChooser` inside the directory chooser that `open` starts, then
// cancels the chooser unless `inChooser` closed it.
void whileChooserRuns(const std::function<void()>& open,
                      const std::function<void(TfrmDirBrowse&)>& inChooser) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ASSERT_NE(frmDirBrowse, nullptr);
        ran = true;
        inChooser(*frmDirBrowse);
        if (frmDirBrowse->isVisible())
            frmDirBrowse->cmdCancelClick();
    });
    open();
    EXPECT_TRUE(ran);
    EXPECT_EQ(frmDirBrowse, nullptr);
}

// Opens the chooser's list entry for `path` and accepts.
void chooseEntry(TfrmDirBrowse& chooser, const QString& path) {
    for (int row = 0; row < chooser.dirList->count(); ++row)
        if (chooser.dirList->item(row)->data(TfrmDirBrowse::PathRole).toString() == path) {
            chooser.dirListDblClick(row);
            chooser.cmdOKClick();
            return;
        }
    ADD_FAILURE() << "no entry for " << path.toStdString();
}

using OptionForm = OptionTest;

} // namespace

TEST_F(OptionForm, TheFormHasItsCaptionPlaceAndControls) {
    installFormFontSubstitution();
    TfrmOption dialog(prompter);
    EXPECT_EQ(dialog.windowTitle(), "オプション");
    EXPECT_EQ(dialog.minimumSize(), QSize(400, 423));
    EXPECT_EQ(dialog.maximumSize(), QSize(400, 423));
    EXPECT_EQ(dialog.pos(), QPoint(536, 156));

    const std::tuple<QWidget*, QWidget*, QRect, QString> controls[] = {
        {dialog.ogrpOverwrite, &dialog, {8, 8, 281, 81}, "上書き設定(&O)"},
        {dialog.fraSusie, &dialog, {8, 96, 385, 65}, "Susie プラグイン"},
        {dialog.chkUseSusieDir,
         dialog.fraSusie,
         {88, 16, 257, 17},
         "Susieのディレクトリを使用(&U)"},
        {dialog.txtSusieDir, dialog.fraSusie, {88, 38, 265, 20}, ""},
        {dialog.cmdSusieDirBrowse, dialog.fraSusie, {360, 40, 17, 17}, "..."},
        {dialog.fraOthers, &dialog, {8, 168, 385, 41}, "その他の設定"},
        {dialog.chkCanQuitESC,
         dialog.fraOthers,
         {8, 16, 345, 17},
         "ESCキーで終了できるようにする(&E)"},
        {dialog.grdDirectory, &dialog, {8, 232, 385, 153}, ""},
        {dialog.cmdOK, &dialog, {232, 392, 73, 25}, "OK"},
        {dialog.cmdCancel, &dialog, {312, 392, 73, 25}, "Cancel"},
    };
    for (const auto& [control, parent, geometry, caption] : controls) {
        SCOPED_TRACE(control->objectName().toStdString());
        EXPECT_EQ(control->parentWidget(), parent);
        EXPECT_EQ(control->geometry(), geometry);
        const auto* box = qobject_cast<QGroupBox*>(control);
        const auto* button = qobject_cast<QAbstractButton*>(control);
        EXPECT_EQ(box ? box->title() : button ? button->text() : QString(), caption);
    }
    EXPECT_EQ(dialog.ogrpOverwrite->item(2)->text(), "古いファイルに自動的に番号を振る(&L)");
    EXPECT_EQ(dialog.Label1->buddy(), dialog.txtSusieDir);
    EXPECT_EQ(dialog.lblDirectory->buddy(), dialog.grdDirectory);
    EXPECT_TRUE(dialog.cmdOK->isDefault());

    // The grid's "..." sits 8 pixels right of its label, which is exactly as
    // wide as its text shows in the form's font.
    const QLabel& label = *dialog.lblDirectory;
    EXPECT_EQ(label.geometry().topLeft(), QPoint(16, 216));
    EXPECT_EQ(label.width(), QFontMetrics(label.font()).horizontalAdvance("保存ディレクトリ(S)"));
    EXPECT_EQ(dialog.cmdDirBrowse->geometry(), QRect(16 + label.width() + 8, 212, 17, 17));
}

TEST_F(OptionForm, TheGridHasAFixedHeaderRowAndNumberColumnThatNothingReaches) {
    TfrmOption dialog(prompter);
    dialog.show();
    StringGrid& grid = *dialog.grdDirectory;
    ASSERT_EQ(grid.rowCount(), 10);
    ASSERT_EQ(grid.columnCount(), 3);
    EXPECT_EQ(grid.cellText(0, 0) + grid.cellText(0, 1) + grid.cellText(0, 2),
              "No項目名ディレクトリ名");
    const int widths[] = {30, 160, 170};
    for (int row = 0; row < 10; ++row) {
        EXPECT_EQ(grid.cellText(row, 0), row > 0 ? QString::number(row) : "No");
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(cellRect(grid, row, column).size(), QSize(widths[column], 14));
            const bool editable = grid.item(row, column)->flags() & Qt::ItemIsEditable;
            EXPECT_EQ(editable, row > 0 && column > 0);
        }
    }
    EXPECT_EQ(grid.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    grid.setFocus();
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Up, Qt::NoModifier},
                                         {Qt::Key_Left, Qt::NoModifier},
                                         {Qt::Key_Home, Qt::ControlModifier}}) {
        grid.setCurrentCell(1, 1);
        QTest::keyClick(&grid, key, modifiers);
        EXPECT_EQ(std::pair(grid.currentRow(), grid.currentColumn()), std::pair(1, 1)) << key;
    }
    grid.setCurrentCell(4, 2);
    clickCell(grid, 0, 2);
    clickCell(grid, 6, 0);
    EXPECT_EQ(std::pair(grid.currentRow(), grid.currentColumn()), std::pair(4, 2));

    clickCell(grid, 2, 1);
    clickCell(grid, 5, 2, Qt::ShiftModifier);
    const QList<QTableWidgetSelectionRange> ranges = grid.selectedRanges();
    ASSERT_EQ(ranges.size(), 1);
    EXPECT_EQ(QRect(QPoint(ranges[0].leftColumn(), ranges[0].topRow()),
                    QPoint(ranges[0].rightColumn(), ranges[0].bottomRow())),
              QRect(QPoint(1, 2), QPoint(2, 5)));
}

TEST_F(OptionForm, EnterEndsACellEditAndEscDropsItWithoutClosingTheDialog) {
    TfrmOption dialog(prompter);
    dialog.show();
    StringGrid& grid = *dialog.grdDirectory;
    grid.setFocus();
    grid.setCurrentCell(3, 2);
    QTest::keyClick(&grid, Qt::Key_X);
    ASSERT_TRUE(grid.isEditingCell());
    QTest::keyClicks(dialog.focusWidget(), "/y");
    QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
    QApplication::processEvents(); // the edit is handed back once the key is done
    EXPECT_FALSE(grid.isEditingCell());
    EXPECT_EQ(directory(dialog, 3), "x/y");
    EXPECT_TRUE(dialog.isVisible());

    QTest::keyClick(&grid, Qt::Key_F2);
    ASSERT_TRUE(grid.isEditingCell());
    QTest::keyClicks(dialog.focusWidget(), "z");
    QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(grid.isEditingCell());
    EXPECT_EQ(directory(dialog, 3), "x/y");
    EXPECT_TRUE(dialog.isVisible());

    // With no edit open, Esc cancels the dialog.
    QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 2);
}

TEST_F(OptionForm, ThePluginDirectoryCanBeEditedExactlyWhileTheSusieBoxIsClear) {
    TfrmOption dialog(prompter);
    dialog.show();
    const QPalette standard = QApplication::palette(dialog.txtSusieDir);
    for (const bool ticked : {true, false, true}) {
        SCOPED_TRACE(ticked);
        if (dialog.chkUseSusieDir->isChecked() != ticked)
            QTest::mouseClick(dialog.chkUseSusieDir, Qt::LeftButton);
        EXPECT_EQ(dialog.chkUseSusieDir->isChecked(), ticked);
        EXPECT_EQ(dialog.txtSusieDir->isEnabled(), !ticked);
        EXPECT_EQ(dialog.cmdSusieDirBrowse->isEnabled(), !ticked);
        EXPECT_EQ(dialog.txtSusieDir->palette().color(QPalette::Base),
                  standard.color(ticked ? QPalette::Button : QPalette::Base));
    }
}

class OptionBrowse : public OptionTest {
protected:
    void SetUp() override {
        OptionTest::SetUp();
        saved_ = platform::currentDirectory();
        root = QDir(dir.path()).canonicalPath();
        dir.mkdir("spi/picked");
        dir.mkdir("dest/picked");
    }
    void TearDown() override {
        platform::setCurrentDirectory(saved_);
        OptionTest::TearDown();
    }

    TempDir dir;
    QString root;

private:
    QString saved_;
};

TEST_F(OptionBrowse, ThePluginButtonStartsAtTheTypedDirectoryAndTakesTheChoice) {
    TfrmOption dialog(prompter);
    dialog.txtSusieDir->setText(root + "/spi");
    whileChooserRuns([&] { dialog.cmdSusieDirBrowseClick(); },
                     [&](TfrmDirBrowse& chooser) {
                         EXPECT_EQ(chooser.parentWidget(), &dialog);
                         EXPECT_EQ(chooser.directory(), root + "/spi");
                         EXPECT_FALSE(chooser.cmdMkDir->isVisible());
                         chooseEntry(chooser, root + "/spi/picked");
                     });
    EXPECT_EQ(dialog.txtSusieDir->text(), root + "/spi/picked");

    whileChooserRuns([&] { dialog.cmdSusieDirBrowseClick(); }, [](TfrmDirBrowse&) {});
    EXPECT_EQ(dialog.txtSusieDir->text(), root + "/spi/picked");
}

TEST_F(OptionBrowse, TheGridButtonBrowsesTheCurrentRowsDirectoryWithMakeDirectoryShown) {
    TfrmOption dialog(prompter);
    dialog.show();
    StringGrid& grid = *dialog.grdDirectory;
    grid.setCellText(4, TfrmOption::DirectoryColumn, root + "/dest");
    grid.setCurrentCell(4, TfrmOption::DescriptionColumn);
    whileChooserRuns([&] { dialog.cmdDirBrowse->click(); },
                     [&](TfrmDirBrowse& chooser) {
                         EXPECT_EQ(chooser.directory(), root + "/dest");
                         EXPECT_TRUE(chooser.cmdMkDir->isVisible());
                         chooseEntry(chooser, root + "/dest/picked");
                     });
    EXPECT_EQ(directory(dialog, 4), root + "/dest/picked");
    EXPECT_EQ(description(dialog, 4), "フォルダ4");
    EXPECT_EQ(directory(dialog, 3) + directory(dialog, 5), "//");

    // An empty cell starts the chooser where the process is.
    platform::setCurrentDirectory(root + "/spi");
    grid.setCellText(7, TfrmOption::DirectoryColumn, "");
    grid.setCurrentCell(7, TfrmOption::DirectoryColumn);
    whileChooserRuns([&] { dialog.cmdDirBrowseClick(); },
                     [&](TfrmDirBrowse& chooser) { chooser.cmdOKClick(); });
    EXPECT_EQ(directory(dialog, 7), root + "/spi");
    EXPECT_TRUE(dialog.isVisible());
}
