// The options dialog against the real settings file: what each showing loads,
// what OK writes, that every way of cancelling writes nothing, and how store
// failures while loading and saving end.

#include "OptionTestSupport.h"
#include "dialogs/ApplicationTitle.h"

#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

// A store in which every value differs from its default; some destinations
// are missing in part or whole.
const QByteArray FullStore = "[Setting]\nMethod=1\nOverwrite=1\nUseSusieDirectory=0\n"
                             "SPIDirectory=/opt/spi\nCanQuitESC=1\n"
                             "[0]\nDescription=Cats\nDirectory=/pictures/cats\n"
                             "[3]\nDescription=Fish\nDirectory=/pictures/fish\n"
                             "[5]\nDescription=Trees\n"
                             "[8]\nDirectory=/pictures/last\n";

void expectFullStoreShown(const TfrmOption& dialog) {
    EXPECT_EQ(dialog.ogrpOverwrite->itemIndex(), 1);
    EXPECT_FALSE(dialog.chkUseSusieDir->isChecked());
    EXPECT_TRUE(dialog.txtSusieDir->isEnabled());
    EXPECT_EQ(dialog.txtSusieDir->text(), "/opt/spi");
    EXPECT_TRUE(dialog.chkCanQuitESC->isChecked());
    const StringGrid& grid = *dialog.grdDirectory;
    EXPECT_EQ(grid.cellText(1, 1), "Cats");
    EXPECT_EQ(grid.cellText(4, 2), "/pictures/fish");
    EXPECT_EQ(grid.cellText(5, 1), "フォルダ5");
    EXPECT_EQ(grid.cellText(6, 1), "Trees");
    EXPECT_EQ(grid.cellText(6, 2), "/");
    EXPECT_EQ(grid.cellText(9, 1), "フォルダ9");
    EXPECT_EQ(grid.cellText(9, 2), "/pictures/last");
}

using OptionStore = OptionTest;

} // namespace

TEST_F(OptionStore, AFirstRunShowsTheDefaultsAndShowingWritesNothing) {
    TfrmOption dialog(prompter);
    dialog.show();
    EXPECT_EQ(dialog.ogrpOverwrite->itemIndex(), 0);
    EXPECT_TRUE(dialog.chkUseSusieDir->isChecked());
    EXPECT_EQ(dialog.txtSusieDir->text(), "");
    EXPECT_FALSE(dialog.chkCanQuitESC->isChecked());
    for (int number = 1; number <= 9; ++number) {
        EXPECT_EQ(description(dialog, number), QString("フォルダ%1").arg(number));
        EXPECT_EQ(directory(dialog, number), "/");
    }
    dialog.cmdCancel->click();
    EXPECT_EQ(QFileInfo(storeFile()).size(), 0);
    EXPECT_TRUE(prompter.errors.isEmpty());
}

TEST_F(OptionStore, EachShowingLoadsTheStoreAsItIsThen) {
    writeStore(FullStore);
    TfrmOption dialog(prompter);
    dialog.show();
    expectFullStoreShown(dialog);
    dialog.cmdCancel->click();

    writeStore("[Setting]\nOverwrite=2\n[3]\nDescription=Changed\n");
    dialog.show();
    EXPECT_EQ(dialog.ogrpOverwrite->itemIndex(), 2);
    EXPECT_TRUE(dialog.chkUseSusieDir->isChecked());
    EXPECT_FALSE(dialog.txtSusieDir->isEnabled());
    EXPECT_EQ(description(dialog, 1), "フォルダ1");
    EXPECT_EQ(description(dialog, 4), "Changed");
}

TEST_F(OptionStore, AnOverwriteOutOfRangeIsShownClampedAndStoredClamped) {
    for (const auto& [stored, shown, written] : {std::tuple{"7", 2, "2"}, {"-3", -1, "-1"}}) {
        SCOPED_TRACE(stored);
        writeStore(QByteArray("[Setting]\nOverwrite=") + stored + "\n");
        TfrmOption dialog(prompter);
        dialog.show();
        EXPECT_EQ(dialog.ogrpOverwrite->itemIndex(), shown);
        // The focus goes to the options, to the first when none is selected.
        EXPECT_EQ(dialog.focusWidget(),
                  static_cast<QWidget*>(dialog.ogrpOverwrite->item(std::max(shown, 0))));
        dialog.cmdOK->click();
        EXPECT_EQ(storedValues().value("Setting/Overwrite"), written);
    }
}

TEST_F(OptionStore, ValuesThatAreNoNumbersShowTheirDefaults) {
    const struct {
        QByteArray setting;
        int overwrite;
        bool useSusie;
        bool canQuit;
    } cases[] = {
        {"Overwrite=abc\nUseSusieDirectory=no\nCanQuitESC=yes\n", 0, true, false},
        {"Overwrite=1.5\nUseSusieDirectory=\nCanQuitESC=99999999999\n", 0, true, false},
        {"Overwrite= 2\nUseSusieDirectory=0\nCanQuitESC=2\n", 2, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting.toStdString());
        writeStore("[Setting]\n" + c.setting);
        TfrmOption dialog(prompter);
        dialog.show();
        EXPECT_EQ(dialog.ogrpOverwrite->itemIndex(), c.overwrite);
        EXPECT_EQ(dialog.chkUseSusieDir->isChecked(), c.useSusie);
        EXPECT_EQ(dialog.txtSusieDir->isEnabled(), !c.useSusie);
        EXPECT_EQ(dialog.chkCanQuitESC->isChecked(), c.canQuit);
    }
    EXPECT_TRUE(prompter.errors.isEmpty());
}

TEST_F(OptionStore, OkStoresAllNineSectionsAndTheFourSettingsExactlyAsTyped) {
    writeStore(FullStore);
    TfrmOption dialog(prompter);
    dialog.show();
    dialog.ogrpOverwrite->setItemIndex(2);
    dialog.chkUseSusieDir->setChecked(true);
    dialog.txtSusieDir->setText(" /no such/dir/ ");
    dialog.chkCanQuitESC->setChecked(false);
    StringGrid& grid = *dialog.grdDirectory;
    grid.setCellText(3, TfrmOption::DescriptionColumn, "");
    grid.setCellText(7, TfrmOption::DirectoryColumn, "relative, with comma");
    // A cell still being edited counts with what was typed so far.
    grid.setCurrentCell(2, TfrmOption::DescriptionColumn);
    QTest::keyClick(&grid, Qt::Key_Z);
    QTest::keyClicks(dialog.focusWidget(), "ip");
    dialog.cmdOK->click();
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_FALSE(dialog.isVisible());

    QMap<QString, QString> expected = {{"Setting/Method", "1"},
                                       {"Setting/Overwrite", "2"},
                                       {"Setting/UseSusieDirectory", "1"},
                                       {"Setting/SPIDirectory", " /no such/dir/ "},
                                       {"Setting/CanQuitESC", "0"}};
    for (int number = 1; number <= 9; ++number) {
        expected.insert(QString("%1/Description").arg(number - 1), description(dialog, number));
        expected.insert(QString("%1/Directory").arg(number - 1), directory(dialog, number));
    }
    EXPECT_EQ(storedValues(), expected);
    EXPECT_EQ(expected["1/Description"], "zip");
    EXPECT_EQ(expected["2/Description"], "");
    EXPECT_EQ(expected["5/Description"], "Trees");

    // An emptied description stays empty; it does not fall back to the default.
    dialog.show();
    EXPECT_EQ(description(dialog, 3), "");
    EXPECT_EQ(directory(dialog, 7), "relative, with comma");
    EXPECT_TRUE(prompter.errors.isEmpty());
}

TEST_F(OptionStore, ASaveThatFailsIsReportedAndTheDialogStillClosesAsAccepted) {
    writeStore(FullStore);
    const QByteArray before = readAll(storeFile());
    TfrmOption dialog(prompter);
    QTimer::singleShot(0, &dialog, [&] {
        dialog.txtSusieDir->setText("/elsewhere");
        NoFileSpace full;
        dialog.cmdOK->click();
    });
    EXPECT_EQ(dialog.exec(), 1);
    EXPECT_EQ(prompter.errors,
              QStringList{applicationTitle() + "|'Overwrite' の設定に失敗しました"});
    EXPECT_EQ(readAll(storeFile()), before);
}

TEST_F(OptionStore, AReadFailureIsReportedAndTheDialogOpensWithWhatWasReadBeforeIt) {
    TfrmOption dialog(prompter);
    // Edits of a cancelled showing must not come back below.
    dialog.show();
    dialog.grdDirectory->setCellText(6, TfrmOption::DescriptionColumn, "cancelled edit");
    dialog.cmdCancel->click();

    // Destination 4's description is a list, which no reader accepts.
    writeStore("[Setting]\nOverwrite=2\nUseSusieDirectory=0\nSPIDirectory=/spi\n"
               "[0]\nDescription=One\n[2]\nDirectory=/three\n"
               "[3]\nDescription=a, b\nDirectory=/four\n[5]\nDescription=Six\n");
    dialog.show();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(prompter.errors,
              QStringList{applicationTitle() + "|'Description' のﾃﾞｰﾀ型が不正です"});
    EXPECT_EQ(dialog.ogrpOverwrite->itemIndex(), 2);
    EXPECT_TRUE(dialog.txtSusieDir->isEnabled());
    EXPECT_EQ(dialog.txtSusieDir->text(), "/spi");
    EXPECT_EQ(description(dialog, 1), "One");
    EXPECT_EQ(directory(dialog, 3), "/three");
    EXPECT_EQ(directory(dialog, 4), "/");
    EXPECT_EQ(description(dialog, 6), "フォルダ6");
}

TEST_F(OptionStore, CancelEscAndTheWindowFrameWriteNothingAndTheNextShowingReloads) {
    writeStore(FullStore);
    const QByteArray before = readAll(storeFile());
    const std::pair<const char*, std::function<void(TfrmOption&)>> ways[] = {
        {"Cancel", [](TfrmOption& d) { d.cmdCancel->click(); }},
        {"Esc", [](TfrmOption& d) { QTest::keyClick(d.focusWidget(), Qt::Key_Escape); }},
        {"frame", [](TfrmOption& d) { d.close(); }},
    };
    TfrmOption dialog(prompter);
    for (const auto& [way, cancel] : ways) {
        SCOPED_TRACE(way);
        QTimer::singleShot(0, &dialog, [&] {
            dialog.ogrpOverwrite->setItemIndex(2);
            dialog.chkUseSusieDir->setChecked(true);
            dialog.txtSusieDir->setText("/changed");
            dialog.grdDirectory->setCellText(1, TfrmOption::DescriptionColumn, "changed");
            cancel(dialog);
        });
        EXPECT_EQ(dialog.exec(), 2);
        EXPECT_EQ(readAll(storeFile()), before);
        dialog.show();
        expectFullStoreShown(dialog);
        dialog.hide();
    }
}
