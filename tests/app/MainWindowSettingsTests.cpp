#include "../settings/SettingsTestSupport.h"
#include "app/Main.h"
#include "platform/Paths.h"
#include "settings/RegistryException.h"
#include "support/ScriptedPrompter.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QSettings>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class MainWindowSettings : public ::testing::Test {
protected:
    void SetUp() override { removeStore(); }
    void TearDown() override { removeStore(); }

    static QSettings stored() { return QSettings(storeFile(), QSettings::IniFormat); }
};

} // namespace

TEST_F(MainWindowSettings, AFirstStartShowsTheDefaultsAndCreatesOnlyTheEmptyStore) {
    ScriptedPrompter prompter;
    {
        TfrmMain window(prompter);
        for (int row = 0; row < 9; ++row) {
            const QTreeWidgetItem* item = window.lvDirList->topLevelItem(row);
            EXPECT_EQ(item->text(0), QString::number(row + 1));
            EXPECT_EQ(item->text(1), QString("フォルダ%1").arg(row + 1));
            EXPECT_EQ(item->text(2), "/");
        }
        EXPECT_EQ(window.methodIndex(), 0);
        EXPECT_EQ(window.browser().CurrentDir, platform::currentDirectory());
        EXPECT_TRUE(window.browser().CurrentFile.isEmpty());
        EXPECT_EQ(window.browser().searchState(), PictureBrowser::SearchState::None);
        // Exit leaves without saving: the window simply goes away.
        window.mnuExitClick();
    }
    EXPECT_EQ(QFileInfo(storeFile()).size(), 0);
    EXPECT_TRUE(prompter.warnings.isEmpty());
}

TEST_F(MainWindowSettings, ClosingThroughTheFrameWritesExactlyMethodAndCurrentDir) {
    ScriptedPrompter prompter;
    {
        TfrmMain window(prompter);
        window.browser().CurrentDir = "/pictures/";
        window.setMethodIndex(1);
        window.show();
        window.close();
    }
    QSettings ini = stored();
    EXPECT_EQ(ini.childGroups(), QStringList{"Setting"});
    ini.beginGroup("Setting");
    EXPECT_EQ(ini.childKeys(), (QStringList{"CurrentDir", "Method"}));
    EXPECT_EQ(ini.value("Method").toString(), "1");
    EXPECT_EQ(ini.value("CurrentDir").toString(), "/pictures/");
}

TEST_F(MainWindowSettings, TheStoredMethodIsClampedAndNoneSelectedIsWrittenBack) {
    ScriptedPrompter prompter;
    writeStore("[Setting]\nMethod=5\n");
    {
        TfrmMain window(prompter);
        EXPECT_EQ(window.methodIndex(), 1);
    }
    writeStore("[Setting]\nMethod=-3\nCurrentDir=/from/store\n");
    {
        TfrmMain window(prompter);
        EXPECT_EQ(window.methodIndex(), -1);
        EXPECT_EQ(window.browser().CurrentDir, "/from/store");
        window.close();
    }
    EXPECT_EQ(stored().value("Setting/Method").toString(), "-1");
}

TEST_F(MainWindowSettings, StoredDestinationsFillTheListAndReloadOnlyOnRequest) {
    writeStore("[0]\nDescription=Family\nDirectory=/home/pictures/family\n"
               "[8]\nDescription=\nDirectory=/tmp\n");
    ScriptedPrompter prompter;
    TfrmMain window(prompter);
    EXPECT_EQ(window.lvDirList->topLevelItem(0)->text(1), "Family");
    EXPECT_EQ(window.lvDirList->topLevelItem(0)->text(2), "/home/pictures/family");
    EXPECT_EQ(window.lvDirList->topLevelItem(8)->text(1), "");
    EXPECT_EQ(window.lvDirList->topLevelItem(8)->text(2), "/tmp");
    EXPECT_EQ(window.lvDirList->topLevelItem(4)->text(1), "フォルダ5");

    writeStore("[0]\nDescription=Work\n");
    EXPECT_EQ(window.lvDirList->topLevelItem(0)->text(1), "Family");
    window.LoadDirList();
    EXPECT_EQ(window.lvDirList->topLevelItem(0)->text(1), "Work");
    EXPECT_EQ(window.lvDirList->topLevelItem(0)->text(2), "/");
    EXPECT_EQ(window.lvDirList->topLevelItem(0)->text(0), "1");
}

TEST_F(MainWindowSettings, AMethodOfAnotherTypeStopsTheStart) {
    writeStore("[Setting]\nMethod=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n");
    ScriptedPrompter prompter;
    try {
        TfrmMain window(prompter);
        FAIL() << "the window was built";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.message(), "'Method' のﾃﾞｰﾀ型が不正です");
    }
}

TEST_F(MainWindowSettings, AStoreThatCannotBeCreatedIsReportedAndDefaultsApply) {
    QDir().mkpath(QFileInfo(QFileInfo(storeFile()).absolutePath()).absolutePath());
    {
        QFile blocker(QFileInfo(storeFile()).absolutePath());
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    ScriptedPrompter prompter;
    {
        TfrmMain window(prompter);
        EXPECT_EQ(window.lvDirList->topLevelItem(2)->text(1), "フォルダ3");
        EXPECT_EQ(window.methodIndex(), 0);
        ASSERT_EQ(prompter.warnings.size(), 1);
        EXPECT_TRUE(prompter.warnings[0].contains(QFileInfo(storeFile()).absolutePath()));
        window.close(); // the failing save is shown, the window still closes
        EXPECT_FALSE(window.isVisible());
    }
    ASSERT_EQ(prompter.errors.size(), 1);
    EXPECT_TRUE(prompter.errors[0].endsWith("ｷｰ Setting の作成に失敗しました"));
    QFile::remove(QFileInfo(storeFile()).absolutePath());
}

TEST_F(MainWindowSettings, EscQuitsOnlyWhenAllowedAtThatMoment) {
    ScriptedPrompter prompter;
    TfrmMain window(prompter);
    int quits = 0;
    // exit() outside a running loop is remembered by nothing; watch the loop
    // being told to quit through a nested loop instead.
    const auto pressEscInLoop = [&] {
        QEventLoop loop;
        QTimer::singleShot(0, &window, [&] {
            QChar esc(0x1B);
            window.FormKeyPress(esc);
            QTimer::singleShot(0, &loop, [&] { loop.exit(7); });
        });
        if (loop.exec() == 0)
            ++quits;
    };
    pressEscInLoop();
    EXPECT_EQ(quits, 0);
    writeStore("[Setting]\nCanQuitESC=1\n");
    pressEscInLoop();
    EXPECT_EQ(quits, 1);
    writeStore("[Setting]\nCanQuitESC=0\n");
    pressEscInLoop();
    EXPECT_EQ(quits, 1);
}
