#include "SettingsTestSupport.h"
#include "settings/RegIniFile.h"
#include "settings/RegistryException.h"
#include "settings/SettingsSchema.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

using settings::KeyPath;

namespace {

class RegIniFileTest : public ::testing::Test {
protected:
    void SetUp() override { removeStore(); }
    void TearDown() override { removeStore(); }
};

QString messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ERegistryException& e) {
        return e.message();
    }
    return {};
}

} // namespace

TEST_F(RegIniFileTest, OpeningCreatesOnlyTheEmptyStoreAndReadingCreatesNothing) {
    {
        TRegIniFile store(KeyPath);
        ASSERT_TRUE(store.isOpen());
        EXPECT_EQ(store.fileName(), storeFile());
        EXPECT_EQ(store.ReadString("Setting", "CurrentDir", "/start"), "/start");
        EXPECT_EQ(store.ReadInteger("3", "Overwrite", 7), 7);
        EXPECT_FALSE(store.SectionExists("Setting"));
    }
    EXPECT_TRUE(QFileInfo::exists(storeFile()));
    EXPECT_EQ(QFileInfo(storeFile()).size(), 0);
    EXPECT_EQ(QDir(QFileInfo(storeFile()).absolutePath())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"Sorteka.ini"});
}

TEST_F(RegIniFileTest, EveryValueIsWrittenAsTextAndReadBackTyped) {
    {
        TRegIniFile store(KeyPath);
        store.WriteInteger("Setting", "Method", -1);
        store.WriteBool("Setting", "CanQuitESC", true);
        store.WriteBool("Setting", "UseSusieDirectory", false);
        store.WriteString("0", "Directory", "/photos, 2024/@raw");
    }
    const QString ini = QString::fromUtf8(readAll(storeFile()));
    EXPECT_TRUE(ini.contains("Method=-1")) << qPrintable(ini);
    EXPECT_TRUE(ini.contains("CanQuitESC=1"));
    EXPECT_TRUE(ini.contains("UseSusieDirectory=0"));

    TRegIniFile store(KeyPath);
    EXPECT_TRUE(store.SectionExists("Setting"));
    EXPECT_EQ(store.ReadInteger("Setting", "Method", 0), -1);
    EXPECT_TRUE(store.ReadBool("Setting", "CanQuitESC", false));
    EXPECT_FALSE(store.ReadBool("Setting", "UseSusieDirectory", true));
    // Commas and a leading "@" would be taken for a list or a typed value if
    // they were not escaped on writing.
    EXPECT_EQ(store.ReadString("0", "Directory", ""), "/photos, 2024/@raw");
}

TEST_F(RegIniFileTest, TextThatIsNoIntegerGivesTheDefault) {
    writeStore("[Setting]\nOverwrite=abc\nMethod=2\nCurrentDir=\nBig=99999999999\n"
               "Yes=2\nEmpty=\nNo=0\n");
    TRegIniFile store(KeyPath);
    EXPECT_EQ(store.ReadInteger("Setting", "Overwrite", 0), 0);
    EXPECT_EQ(store.ReadInteger("Setting", "Method", 0), 2);
    EXPECT_EQ(store.ReadInteger("Setting", "CurrentDir", 5), 5);
    EXPECT_EQ(store.ReadInteger("Setting", "Big", 4), 4);
    EXPECT_TRUE(store.ReadBool("Setting", "Yes", false));
    EXPECT_TRUE(store.ReadBool("Setting", "Empty", true));
    EXPECT_FALSE(store.ReadBool("Setting", "Empty", false));
    EXPECT_FALSE(store.ReadBool("Setting", "No", true));
    // An empty string is a stored string, not a missing one.
    EXPECT_EQ(store.ReadString("Setting", "CurrentDir", "/default"), "");
}

TEST_F(RegIniFileTest, ValuesThatAreNotPlainTextAreRejectedWithTheirName) {
    writeStore("[Setting]\nMethod=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n"
               "CurrentDir=/a, /b\nOverwrite=@ByteArray(1)\n");
    TRegIniFile store(KeyPath);
    EXPECT_EQ(messageOf([&] { (void)store.ReadInteger("Setting", "Method", 0); }),
              "'Method' のﾃﾞｰﾀ型が不正です");
    EXPECT_EQ(messageOf([&] { (void)store.ReadString("Setting", "CurrentDir", ""); }),
              "'CurrentDir' のﾃﾞｰﾀ型が不正です");
    EXPECT_EQ(messageOf([&] { (void)store.ReadBool("Setting", "Overwrite", false); }),
              "'Overwrite' のﾃﾞｰﾀ型が不正です");
}

TEST_F(RegIniFileTest, AStoreThatCannotBeReadReportsTheValue) {
    // A folder where the file should be cannot be read as settings, even by root.
    QDir().mkpath(storeFile());
    TRegIniFile store(KeyPath);
    EXPECT_EQ(messageOf([&] { (void)store.ReadInteger("Setting", "Method", 0); }),
              "'Method' の取得に失敗しました");
    EXPECT_EQ(messageOf([&] { store.WriteInteger("Setting", "Method", 1); }),
              "ｷｰ Setting の作成に失敗しました");
}

TEST_F(RegIniFileTest, AFolderThatCannotBeCreatedGivesDefaultsAndFailingWrites) {
    // A plain file where the settings folder should be.
    QDir().mkpath(QFileInfo(QFileInfo(storeFile()).absolutePath()).absolutePath());
    {
        QFile blocker(QFileInfo(storeFile()).absolutePath());
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    TRegIniFile store(KeyPath);
    EXPECT_FALSE(store.isOpen());
    EXPECT_FALSE(store.openError().isEmpty());
    EXPECT_EQ(store.ReadInteger("Setting", "Method", 3), 3);
    EXPECT_EQ(messageOf([&] { store.WriteString("4", "Description", "x"); }),
              "ｷｰ 4 の作成に失敗しました");
    QFile::remove(QFileInfo(storeFile()).absolutePath());
}

TEST_F(RegIniFileTest, AFailedWriteNamesTheSectionWhenNewAndTheValueOtherwise) {
    writeStore("[Setting]\nMethod=1\n");
    TRegIniFile store(KeyPath);
    NoFileSpace full;
    EXPECT_EQ(messageOf([&] { store.WriteInteger("Setting", "Method", 0); }),
              "'Method' の設定に失敗しました");
    EXPECT_EQ(messageOf([&] { store.WriteString("2", "Directory", "/x"); }),
              "ｷｰ 2 の作成に失敗しました");
}

TEST_F(RegIniFileTest, AFailedWriteKeepsTheStoredFileIntact) {
    writeStore("[Setting]\nMethod=1\nCurrentDir=/pictures/\n");
    {
        TRegIniFile store(KeyPath);
        NoFileSpace full;
        EXPECT_THROW(store.WriteInteger("Setting", "Method", 0), ERegistryException);
        EXPECT_THROW(store.WriteString("5", "Directory", "/x"), ERegistryException);
    }
    // Qt may write the file again in its own key order; what it holds stays.
    const QString kept = QString::fromUtf8(readAll(storeFile()));
    EXPECT_TRUE(kept.contains("Method=1\n") && kept.contains("CurrentDir=/pictures/\n"))
        << qPrintable(kept);
    EXPECT_FALSE(kept.contains("[5]"));
    {
        // The failed values are not waiting anywhere to be written later.
        TRegIniFile again(KeyPath);
        EXPECT_EQ(again.ReadInteger("Setting", "Method", 7), 1);
        EXPECT_FALSE(again.SectionExists("5"));
        again.WriteString("Setting", "CurrentDir", "/other/");
    }
    const QString after = QString::fromUtf8(readAll(storeFile()));
    EXPECT_TRUE(after.contains("Method=1")) << qPrintable(after);
    EXPECT_FALSE(after.contains("[5]"));
}

TEST_F(RegIniFileTest, AFifoInThePlaceOfTheFileIsAStoreThatCannotBeOpened) {
    QDir().mkpath(QFileInfo(storeFile()).absolutePath());
    ASSERT_EQ(::mkfifo(QFile::encodeName(storeFile()).constData(), 0600), 0);
    TRegIniFile store(KeyPath); // would block for good on opening the FIFO
    EXPECT_FALSE(store.isOpen());
    EXPECT_TRUE(store.openError().contains(storeFile()));
    EXPECT_EQ(store.ReadInteger("Setting", "Method", 3), 3);
}

TEST_F(RegIniFileTest, AWriteReportedAsFailedLeavesAFileOfRandomBytesAsItWas) {
    QByteArray junk(4096, Qt::Uninitialized);
    std::mt19937 random(7);
    for (char& c : junk)
        c = char(random());
    writeStore(junk);
    {
        TRegIniFile store(KeyPath);
        try {
            store.WriteInteger("Setting", "Method", 1);
        } catch (const ERegistryException&) {
            // Reported as failed: then nothing may have changed.
            EXPECT_EQ(readAll(storeFile()), junk);
        }
    }
    EXPECT_TRUE(readAll(storeFile()) == junk || readAll(storeFile()).contains("Method=1"));
}

TEST_F(RegIniFileTest, ASaveCutShortByAFullDiskIsReportedAndRepairedByTheNextSave) {
    QByteArray ini;
    for (int i = 0; i < 9; ++i)
        ini += QString("[%1]\nDescription=%2\nDirectory=/pictures/destination/%1\n")
                   .arg(i)
                   .arg(QString(40, QChar(u'写')))
                   .toUtf8();
    ini += "[Setting]\nMethod=1\n";
    writeStore(ini);
    {
        TRegIniFile store(KeyPath);
        NoFileSpace full(static_cast<rlim_t>(ini.size() / 2));
        EXPECT_THROW(store.WriteString("Setting", "CurrentDir", "/new/"), ERegistryException);
    }
    TRegIniFile store(KeyPath);
    store.WriteString("Setting", "Overwrite", "2");
    EXPECT_EQ(store.ReadInteger("Setting", "Method", 0), 1);
    EXPECT_EQ(settings::readDestinations(store)[8].Directory, "/pictures/destination/8");
    const QString saved = QString::fromUtf8(readAll(storeFile()));
    EXPECT_TRUE(saved.contains("Method=1\n")) << qPrintable(saved);
    EXPECT_FALSE(saved.contains("CurrentDir"));
}

TEST(ParseStoredInteger, AcceptsSignedDecimalOnly) {
    EXPECT_EQ(parseStoredInteger("0"), 0);
    EXPECT_EQ(parseStoredInteger("-3"), -3);
    EXPECT_EQ(parseStoredInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseStoredInteger("2147483648"), std::nullopt);
    EXPECT_EQ(parseStoredInteger(""), std::nullopt);
    EXPECT_EQ(parseStoredInteger("1.5"), std::nullopt);
    EXPECT_EQ(parseStoredInteger("0x10"), std::nullopt);
}
