// Loading single plug-ins: their texts, their kind, and every way a file can
// fail to be a usable plug-in.

#include "TestPlugins.h"
#include "plugins/SPI.h"
#include "plugins/SPIErrors.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

TEST(SPIModule, ReadsTheTextsOfAnImportFilter) {
    const TInSPI spi(testPlugin("tiny"));
    EXPECT_EQ(spi.APIVersion(), "00IN");
    EXPECT_EQ(spi.PluginName(), "Tiny picture filter");
    EXPECT_EQ(spi.Extensions(), QStringList({"*.tpc", "*.tiny;*.tny"}));
    EXPECT_EQ(spi.Descriptions(), QStringList({"Tiny pictures", "Tiny pictures, long names"}));
    EXPECT_FALSE(spi.hasPreview()); // an import filter without GetPreview loads normally

    char buffer[256] = {};
    EXPECT_GT(spi.GetPluginInfo(3, buffer, 255), 0);
    EXPECT_STREQ(buffer, "Tiny pictures");
    EXPECT_EQ(spi.GetPluginInfo(99, buffer, 255), 0);
}

TEST(SPIModule, FileNameIsTheLoadedObjectsRealPath) {
    TempDir dir;
    const QString real = copyPlugins(dir, "real", {"tiny"}) + "/tiny.spi";
    const QString link = dir.file("link.spi");
    ASSERT_TRUE(QFile::link(real, link));
    EXPECT_EQ(TSPI(link).FileName(), QFileInfo(real).canonicalFilePath());

    // A bare name is the file in the current directory, never a library search.
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.file("real"));
    EXPECT_EQ(TSPI("tiny.spi").FileName(), QFileInfo(real).canonicalFilePath());
    QDir::setCurrent(before);
}

TEST(SPIModule, HalfAPairLeavesBothListsEmpty) {
    const TInSPI spi(testPlugin("half_pair"));
    EXPECT_TRUE(spi.Extensions().isEmpty());
    EXPECT_TRUE(spi.Descriptions().isEmpty());
}

TEST(SPIModule, APluginThatNeverStopsListingFormatsIsCutOff) {
    const TInSPI spi(testPlugin("endless"));
    EXPECT_EQ(spi.Extensions().size(), TSPI::MaxFormats);
    EXPECT_EQ(spi.Descriptions().size(), TSPI::MaxFormats);
}

TEST(SPIModule, AFileThatCannotBeLoadedRaisesOpenErrorWithTheNameAsPassed) {
    TempDir dir;
    const QString text = dir.write("notes.spi", "not a shared object");
    for (const QString& name : {text, dir.file("missing.spi")}) {
        try {
            TSPI spi(name);
            ADD_FAILURE() << "loaded " << name.toStdString();
        } catch (const ESPIFOpenErrorSPI& e) {
            EXPECT_EQ(e.message(), name + ":Susie Pluginがロードできませんでした");
        }
    }
}

TEST(SPIModule, MissingExportsRaiseInvalidSPIAndUnloadThePlugin) {
    struct Case {
        const char* plugin;
        const char* missing;
        bool asImportFilter;
    };
    const Case cases[] = {{"no_info", "GetPluginInfo", false},
                          {"no_supported", "IsSupported", true},
                          {"no_picture_info", "GetPictureInfo", true},
                          {"no_picture", "GetPicture", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plugin);
        const QString path = testPlugin(c.plugin);
        try {
            if (c.asImportFilter)
                TInSPI spi(path);
            else
                TSPI spi(path);
            ADD_FAILURE() << "loaded";
        } catch (const ESPIInvalidSPI& e) {
            EXPECT_EQ(e.message(),
                      QFileInfo(path).canonicalFilePath() + ":認識できないSusie Pluginです");
            EXPECT_EQ(e.missingExport(), c.missing);
        }
        EXPECT_FALSE(isLoaded(path));
        EXPECT_EQ(CreateSPI(path), nullptr);
        EXPECT_FALSE(isLoaded(path));
    }
}

TEST(SPIModule, CreateSPIPicksTheClassByTheExactAPIVersion) {
    const auto importFilter = CreateSPI(testPlugin("tiny"));
    ASSERT_NE(importFilter, nullptr);
    EXPECT_NE(dynamic_cast<TInSPI*>(importFilter.get()), nullptr);

    const auto archive = CreateSPI(testPlugin("archive"));
    ASSERT_NE(archive, nullptr);
    EXPECT_NE(dynamic_cast<TAmSPI*>(archive.get()), nullptr);

    const auto exportFilter = CreateSPI(testPlugin("export_filter"));
    ASSERT_NE(exportFilter, nullptr);
    EXPECT_NE(dynamic_cast<TXnSPI*>(exportFilter.get()), nullptr);

    for (const char* name : {"lowercase_in", "plain"}) {
        SCOPED_TRACE(name);
        const auto plain = CreateSPI(testPlugin(name));
        ASSERT_NE(plain, nullptr);
        EXPECT_EQ(typeid(*plain), typeid(TSPI));
    }
}

TEST(SPIModule, CreateSPIGivesNothingForFilesThatAreNoPlugins) {
    TempDir dir;
    EXPECT_EQ(CreateSPI(dir.write("junk.spi", QByteArray(4096, 'x'))), nullptr);
    // The loader would fault (SIGBUS) mapping the missing part of a cut-short
    // plug-in: every start would end there.
    const QByteArray whole = readAll(testPlugin("tiny"));
    for (const qsizetype kept : {qsizetype(64), qsizetype(1024), whole.size() / 4})
        EXPECT_EQ(CreateSPI(dir.write("cut.spi", whole.left(kept))), nullptr) << kept;
    EXPECT_EQ(CreateSPI(dir.file("missing.spi")), nullptr);
    EXPECT_EQ(CreateSPI(QString()), nullptr);
}

TEST(SPIModule, DestroyingTheLastReferenceUnloadsThePlugin) {
    const QString path = testPlugin("archive");
    {
        const auto spi = CreateSPI(path);
        ASSERT_NE(spi, nullptr);
        EXPECT_TRUE(isLoaded(path));
    }
    EXPECT_FALSE(isLoaded(path));
}

TEST(SPIModule, AnExceptionInsideThePluginGoesOnAfterTheLibraryIsReleased) {
    const QString path = testPlugin("throwing");
    try {
        (void)CreateSPI(path);
        ADD_FAILURE() << "loaded";
    } catch (const ESPIPluginRaised& e) {
        EXPECT_TRUE(e.message().contains("the name table is corrupt"));
        EXPECT_TRUE(e.message().startsWith(QFileInfo(path).canonicalFilePath() + ":"));
    }
    EXPECT_FALSE(isLoaded(path));
}

} // namespace
