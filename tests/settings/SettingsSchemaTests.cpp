#include "SettingsTestSupport.h"
#include "settings/RegIniFile.h"
#include "settings/SettingsSchema.h"
#include "settings/SusieKey.h"

#include <gtest/gtest.h>

using namespace settings;

TEST(DestinationNumbers, TieSectionKeyButtonAndRowsTogether) {
    EXPECT_EQ(sectionOfDestination(1), "0");
    EXPECT_EQ(sectionOfDestination(9), "8");
    for (int n = 1; n <= 9; ++n) {
        EXPECT_EQ(destinationOfSection(sectionOfDestination(n)), n);
        EXPECT_EQ(destinationOfDigitKey(digitKeyOfDestination(n)), n);
        EXPECT_EQ(destinationOfToolbarTag(toolbarTagOfDestination(n)), n);
        EXPECT_EQ(listRowOfDestination(n), n - 1);
        EXPECT_EQ(gridRowOfDestination(n), n);
    }
    EXPECT_EQ(destinationOfSection("9"), 0);
    EXPECT_EQ(destinationOfSection("01"), 0);
    EXPECT_EQ(destinationOfSection("Setting"), 0);
    EXPECT_EQ(destinationOfDigitKey(u'0'), 0);
    EXPECT_EQ(destinationOfDigitKey(u'a'), 0);
    EXPECT_EQ(destinationOfDigitKey(QChar(0xFF11)), 0); // full-width one
    EXPECT_EQ(destinationOfToolbarTag(9), 0);
    EXPECT_EQ(destinationOfToolbarTag(-1), 0);
}

class DestinationStoreTest : public ::testing::Test {
protected:
    void SetUp() override { removeStore(); }
    void TearDown() override { removeStore(); }
};

TEST_F(DestinationStoreTest, DefaultsAreNumberedFoldersAtTheRoot) {
    const TRegIniFile store(KeyPath);
    const TDestinations all = readDestinations(store);
    for (int n = 1; n <= 9; ++n) {
        const TDestination& d = all[static_cast<size_t>(n - 1)];
        EXPECT_EQ(d.Number, n);
        EXPECT_EQ(d.Description, QString("フォルダ%1").arg(n));
        EXPECT_EQ(d.Directory, "/");
    }
}

TEST_F(DestinationStoreTest, WritingAllNineUsesSectionsZeroToEight) {
    TDestinations all;
    for (int n = 1; n <= 9; ++n)
        all[static_cast<size_t>(n - 1)] = {n, n == 2 ? QString() : QString("説明%1").arg(n),
                                           QString("/dest/%1").arg(n)};
    {
        TRegIniFile store(KeyPath);
        writeDestinations(store, all);
    }
    const TRegIniFile store(KeyPath);
    EXPECT_EQ(readDestinations(store), all);
    EXPECT_EQ(store.ReadString("0", "Directory", ""), "/dest/1");
    EXPECT_EQ(store.ReadString("8", "Directory", ""), "/dest/9");
    EXPECT_FALSE(store.SectionExists("9"));
    // An empty description stays empty instead of falling back to the default.
    EXPECT_EQ(store.ReadString("1", "Description", "x"), "");
}

class SusieKeyTest : public ::testing::Test {
protected:
    static QString susieFile() {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               "/Tamaru/Susie.ini";
    }
    static void writeSusie(const QByteArray& ini) {
        QDir().mkpath(QFileInfo(susieFile()).absolutePath());
        QFile f(susieFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(ini);
    }
    void TearDown() override { QDir(QFileInfo(susieFile()).absolutePath()).removeRecursively(); }
};

TEST_F(SusieKeyTest, AMissingKeyFallsBackWithoutCreatingIt) {
    EXPECT_EQ(readSusiePluginPath(), std::nullopt);
    EXPECT_EQ(susiePluginDirectory("/usr/lib/sorteka/spi"), "/usr/lib/sorteka/spi");
    EXPECT_FALSE(QFileInfo::exists(susieFile()));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(susieFile()).absolutePath()));
}

TEST_F(SusieKeyTest, AnExistingKeyIsUsedEvenWhenItsPathIsEmpty) {
    writeSusie("[Plug-in]\nPath=\n");
    EXPECT_EQ(readSusiePluginPath(), QString());
    EXPECT_EQ(susiePluginDirectory("/fallback"), "");

    writeSusie("[Plug-in]\nPath=/opt/viewer/plugins\n");
    EXPECT_EQ(susiePluginDirectory("/fallback"), "/opt/viewer/plugins");

    writeSusie("[Plug-in]\nPath=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n");
    EXPECT_EQ(susiePluginDirectory("/fallback"), "");
}
