#include "../settings/SettingsTestSupport.h"
#include "app/Main.h"
#include "app/PluginSetup.h"
#include "dialogs/Option.h"
#include "graphics/PicturePreview.h"
#include "platform/InstallPaths.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

TEST(PluginSearchMask, JoinsTheFolderAndDropsLeadingBlanks) {
    EXPECT_EQ(pluginSearchMask("/spi"), "/spi/*.spi");
    EXPECT_EQ(pluginSearchMask("/spi/"), "/spi/*.spi");
    EXPECT_EQ(pluginSearchMask(""), "/*.spi");
    EXPECT_EQ(pluginSearchMask("  /x"), "/x/*.spi");
    EXPECT_EQ(pluginSearchMask("\t\n/x"), "/x/*.spi");
    EXPECT_EQ(pluginSearchMask("rel"), "rel/*.spi");
}

namespace {

class PluginSetup : public ::testing::Test {
protected:
    TempDir tmp;
    ScriptedPrompter prompter;

    void SetUp() override { removeStore(); }
    void TearDown() override {
        removeStore();
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Tamaru")
            .removeRecursively();
    }
    static void writeSusieKey(const QByteArray& ini) {
        const QString dir =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Tamaru";
        QDir().mkpath(dir);
        QFile f(dir + "/Susie.ini");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(ini);
    }
    // A tiny picture: "TPIC", width, height, then RGB rows top first.
    QString writeTiny(const QString& relative, int w, int h, QRgb colour) {
        QByteArray bytes("TPIC");
        bytes.append(char(w & 0xFF))
            .append(char(w >> 8))
            .append(char(h & 0xFF))
            .append(char(h >> 8));
        for (int i = 0; i < w * h; ++i)
            bytes.append(char(qRed(colour)))
                .append(char(qGreen(colour)))
                .append(char(qBlue(colour)));
        return tmp.write(relative, bytes);
    }
};

} // namespace

TEST_F(PluginSetup, AnEmptyViewerPathLoadsNothingAndSaysSo) {
    writeSusieKey("[Plug-in]\nPath=\n");
    TfrmMain window(prompter);
    EXPECT_EQ(window.pluginCount(), 0);
    EXPECT_EQ(window.messageLog().lines(),
              (QStringList{NoPluginsMessage, OnlyBuiltInFormatsMessage}));
    EXPECT_FALSE(window.imgPreview->hasPicture());
}

TEST_F(PluginSetup, TheViewerPathIsSearchedWhenItsKeyExists) {
    writeSusieKey("[Plug-in]\nPath=" + QByteArray(SORTEKA_TEST_SPI_DIR) + "\n");
    TfrmMain window(prompter);
    EXPECT_EQ(window.pluginCount(), 1);
    EXPECT_TRUE(window.messageLog().lines().isEmpty());
}

TEST_F(PluginSetup, AConfiguredFolderMakesItsFormatShowAndSortable) {
    writeStore("[Setting]\nUseSusieDirectory=0\nSPIDirectory=  " SORTEKA_TEST_SPI_DIR "\n"
               "[0]\nDirectory=" +
               tmp.mkdir("out").toUtf8() + "\n");
    TfrmMain window(prompter);
    ASSERT_EQ(window.pluginCount(), 1);
    EXPECT_TRUE(window.messageLog().lines().isEmpty());

    writeTiny("in/dawn.tpc", 3, 2, qRgb(10, 200, 30));
    window.OpenDirectory(tmp.file("in"));
    EXPECT_EQ(window.browser().CurrentFile, "dawn.tpc");
    ASSERT_TRUE(window.imgPreview->hasPicture());
    EXPECT_EQ(window.imgPreview->picture()->image().pixel(2, 1), qRgb(10, 200, 30));
    QChar one(u'1');
    window.FormKeyPress(one);
    EXPECT_TRUE(QFileInfo::exists(tmp.file("out/dawn.tpc")));
}

TEST_F(PluginSetup, AcceptedOptionsReloadTheListAndThePlugins) {
    writeSusieKey("[Plug-in]\nPath=\n");
    TfrmMain window(prompter);
    TfrmOption options(prompter);
    window.attachForms(&options, nullptr);
    ASSERT_EQ(window.messageLog().lines().size(), 2);

    // Cancel changes nothing, even when the store changed meanwhile.
    writeStore("[Setting]\nUseSusieDirectory=0\nSPIDirectory=" SORTEKA_TEST_SPI_DIR "\n"
               "[2]\nDescription=Cats\nDirectory=/cats\n");
    QTimer::singleShot(0, &options, [&] { options.reject(); });
    window.ShowOption();
    EXPECT_EQ(window.lvDirList->topLevelItem(2)->text(1), "フォルダ3");
    EXPECT_EQ(window.pluginCount(), 0);

    // OK writes what the dialog shows, then the window reloads both.
    QTimer::singleShot(0, &options, [&] { options.cmdOK->click(); });
    window.ShowOption();
    EXPECT_EQ(window.lvDirList->topLevelItem(2)->text(1), "Cats");
    EXPECT_EQ(window.lvDirList->topLevelItem(2)->text(2), "/cats");
    EXPECT_EQ(window.pluginCount(), 1);
    EXPECT_TRUE(window.messageLog().lines().isEmpty());
}

TEST_F(PluginSetup, WithoutTheViewersKeyTheInstallationsPluginsAreSearched) {
    const QString installed = platform::installedPluginDirectory();
    const auto shipped = QDir(installed).entryList({"*.spi"}, QDir::Files).size();
    TfrmMain window(prompter);
    EXPECT_EQ(window.pluginCount(), shipped) << qPrintable(installed);
    EXPECT_EQ(window.messageLog().lines().isEmpty(), shipped > 0);
}

TEST_F(PluginSetup, PluginsThatCrashOrQuitCostTheirPicturesOnlyAndAreNamed) {
    writeStore("[Setting]\nUseSusieDirectory=0\nSPIDirectory=" SORTEKA_TEST_BAD_SPI_DIR "\n");
    // "MISB", what to do, width and height, grey level.
    const auto misbehaving = [this](const QString& name, const char* what) {
        tmp.write("in/" + name, QByteArray("MISB") + what + QByteArray("\x04\0\x03\0\x80", 5));
    };
    misbehaving("a.mis", "GOOD");
    misbehaving("b.mis", "CRSH");
    misbehaving("c.mis", "EXIT");
    misbehaving("d.mis", "GOOD");
    TfrmMain window(prompter);
    ASSERT_EQ(window.pluginCount(), 1); // the one that crashes while loading is left out

    window.OpenDirectory(tmp.file("in"));
    EXPECT_EQ(window.browser().CurrentFile, "a.mis");
    QChar space(u' ');
    window.FormKeyPress(space);
    EXPECT_EQ(window.browser().CurrentFile, "d.mis");
    EXPECT_EQ(window.browser().searchState(), PictureBrowser::SearchState::None);
    const QStringList log = window.messageLog().lines();
    ASSERT_EQ(log.size(), 3) << qPrintable(log.join('\n'));
    EXPECT_TRUE(log[0].startsWith("プラグインを読み込めませんでした: ") &&
                log[0].contains("crash_on_load.spi"));
    EXPECT_TRUE(log[1].startsWith(tmp.file("in/b.mis") + ": ")) << qPrintable(log[1]);
    EXPECT_TRUE(log[2].startsWith(tmp.file("in/c.mis") + ": ")) << qPrintable(log[2]);
}
