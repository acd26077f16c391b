// The plug-in collection: where it searches, what it loads, what it registers
// and the order in which it offers plug-ins for a file.

#include "TestPlugins.h"
#include "graphics/PictureFormats.h"
#include "plugins/SPIBmp.h"
#include "plugins/SPIErrors.h"
#include "plugins/SPIs.h"
#include "settings/RegIniFile.h"
#include "settings/SusieKey.h"
#include "support/TempDir.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>

namespace {

QString realPath(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

QStringList namesOf(const QList<TSPI*>& list) {
    QStringList names;
    for (const TSPI* spi : list)
        names.append(QFileInfo(spi->FileName()).completeBaseName());
    return names;
}

QStringList loadedNames(const TSPIs& spis) {
    QStringList names;
    for (int i = 0; i < spis.Count(); ++i)
        names.append(QFileInfo(spis.Items(i)->FileName()).completeBaseName());
    names.sort();
    return names;
}

void setSusiePath(const QString& path) {
    TRegIniFile key(settings::SusieKeyPath);
    key.WriteString(QString(), settings::SusieValuePath, path);
}

TEST(SPICollection, OnlyOneCollectionAtATime) {
    auto first = std::make_unique<TSPIs>();
    EXPECT_EQ(GetSPIs(), first.get());
    try {
        TSPIs second;
        ADD_FAILURE() << "a second collection was made";
    } catch (const ESPIDupCreateSPIs& e) {
        EXPECT_EQ(e.message(), "TSPIs は複数生成できません");
    }
    EXPECT_EQ(GetSPIs(), first.get());
    first.reset();
    EXPECT_EQ(GetSPIs(), nullptr);
    TSPIs again;
    EXPECT_EQ(GetSPIs(), &again);
    EXPECT_TRUE(again.AutoSearch());
    EXPECT_EQ(again.SearchOptions(), TSPISearchOptions({spsSusieDir, spsAppDir}));
    EXPECT_EQ(again.Count(), 0);
}

TEST(SPICollection, AMaskWithAFolderSearchesThatFolderAndSkipsWhatIsNoPlugin) {
    TempDir dir;
    const QString folder =
        copyPlugins(dir, "spi", {"tiny", "archive", "no_picture", "no_info", "plain"});
    dir.write("spi/junk.spi", "not a plug-in");
    QFile::copy(testPlugin("twin"), folder + "/.hidden.spi");
    QFile::copy(testPlugin("twin"), folder + "/twin.dll");
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "/pipe.spi").constData(), 0600), 0);
    // The places a bare mask would search hold another plug-in; they must stay unsearched.
    setSusiePath(copyPlugins(dir, "susie", {"comment"}));

    TSPIs spis;
    spis.Search(folder + "/*.spi");
    EXPECT_EQ(loadedNames(spis), QStringList({"archive", "plain", "tiny"}));
    EXPECT_EQ(spis.IndexOf(realPath(folder + "/tiny.spi")), spis.IndexOf(folder + "/tiny.spi"));
    EXPECT_GE(spis.IndexOf(folder + "/tiny.spi"), 0);
    EXPECT_EQ(spis.IndexOf(folder + "/TINY.spi"), -1);

    // Searching again adds nothing already loaded.
    spis.Search(folder + "/*.SPI");
    EXPECT_EQ(spis.Count(), 3);
}

TEST(SPICollection, TheSameFileThroughALinkedFolderIsLoadedOnce) {
    TempDir dir;
    const QString folder = copyPlugins(dir, "spi", {"tiny"});
    ASSERT_TRUE(QFile::link(folder, dir.file("linked")));
    TSPIs spis;
    spis.Search(folder + "/*.spi");
    spis.Search(dir.file("linked") + "/*.spi");
    EXPECT_EQ(spis.Count(), 1);
}

TEST(SPICollection, ABareMaskSearchesTheViewersFolderFromItsKey) {
    TempDir dir;
    setSusiePath(copyPlugins(dir, "susie", {"tiny", "archive"}));
    TSPIs spis;
    spis.SetSearchOptions({spsSusieDir});
    spis.Search("*.spi");
    EXPECT_EQ(loadedNames(spis), QStringList({"archive", "tiny"}));
}

TEST(SPICollection, AnEmptyViewerPathSearchesNothing) {
    setSusiePath(QString());
    TSPIs spis;
    spis.SetSearchOptions({spsSusieDir});
    spis.Search("*.spi");
    EXPECT_EQ(spis.Count(), 0);
}

TEST(SPICollection, TheCurrentDirectoryAndTheUsersFolderAreSearchedWhenAsked) {
    TempDir dir;
    const QString current = copyPlugins(dir, "current", {"tiny"});
    const QString before = QDir::currentPath();
    QDir::setCurrent(current);
    copyPlugins(dir, ".local/share/sorteka/spi", {"archive"});
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.file(".local/share")));

    TSPIs spis;
    spis.SetSearchOptions({spsCurrentDir, spsWindowsDir});
    spis.Search("*.spi");
    QDir::setCurrent(before);
    EXPECT_EQ(loadedNames(spis), QStringList({"archive", "tiny"}));
}

TEST(SPICollection, LoadedSearchesOnlyWhenAutoSearchIsOn) {
    TempDir dir;
    setSusiePath(copyPlugins(dir, "susie", {"tiny"}));
    {
        TSPIs spis;
        spis.SetSearchOptions({spsSusieDir});
        spis.SetAutoSearch(false);
        spis.Loaded();
        EXPECT_EQ(spis.Count(), 0);
    }
    TSPIs spis;
    spis.SetSearchOptions({spsSusieDir});
    spis.Loaded();
    EXPECT_EQ(spis.Count(), 1);
}

TEST(SPICollection, OnSearchDecidesAndItsErrorsOnlyDropThatPlugin) {
    TempDir dir;
    const QString folder = copyPlugins(dir, "spi", {"tiny", "archive", "plain"});
    TSPIs spis;
    QStringList asked;
    spis.OnSearch = [&](TSPIs& sender, TSPI& spi, bool& accept) {
        EXPECT_EQ(&sender, &spis);
        EXPECT_TRUE(accept);
        const QString name = QFileInfo(spi.FileName()).completeBaseName();
        asked.append(name);
        if (name == "archive")
            throw std::runtime_error("refused loudly");
        accept = name != "plain";
    };
    spis.Search(folder + "/*.spi");
    asked.sort();
    EXPECT_EQ(asked, QStringList({"archive", "plain", "tiny"}));
    EXPECT_EQ(loadedNames(spis), QStringList({"tiny"}));
    EXPECT_FALSE(isLoaded(folder + "/archive.spi"));
    EXPECT_FALSE(isLoaded(folder + "/plain.spi"));
}

TEST(SPICollection, ARegistrationErrorDropsThePluginFromTheList) {
    TempDir dir;
    const QString folder = copyPlugins(dir, "spi", {"tiny", "archive"});
    TSPIs spis;
    spis.OnPictureRegister = [](TSPIs&, TInSPI&, const QString&, const QString&,
                                PictureFormats::Factory&) { throw std::runtime_error("no"); };
    spis.Search(folder + "/*.spi");
    EXPECT_EQ(loadedNames(spis), QStringList({"archive"}));
    EXPECT_FALSE(isLoaded(folder + "/tiny.spi"));
}

TEST(SPICollection, AnErrorInsideAPluginEndsTheSearch) {
    TempDir dir;
    const QString folder = copyPlugins(dir, "spi", {"throwing"});
    TSPIs spis;
    EXPECT_THROW(spis.Search(folder + "/*.spi"), ESPIPluginRaised);
    EXPECT_EQ(spis.Count(), 0);
    EXPECT_FALSE(isLoaded(folder + "/throwing.spi"));
}

TEST(SPICollection, ImportFiltersRegisterEachFormatAsWritten) {
    TSPIs spis;
    QStringList seen;
    spis.OnPictureRegister = [&](TSPIs&, TInSPI& spi, const QString& extension,
                                 const QString& description, PictureFormats::Factory& graphic) {
        seen.append(QFileInfo(spi.FileName()).completeBaseName() + ":" + extension + ":" +
                    description);
        EXPECT_TRUE(bool(graphic)); // the plug-in picture type is the default
        if (extension == "tny")
            graphic = nullptr; // suppresses this one format only
    };
    spis.Add(CreateSPI(testPlugin("twin")));
    spis.Add(CreateSPI(testPlugin("archive"))); // not an import filter: nothing registered
    // Every pattern of a multi-pattern entry registers its own extension.
    EXPECT_EQ(seen, QStringList({"twin:TPC:Tiny pictures", "twin:tiny:Tiny pictures, long names",
                                 "twin:tny:Tiny pictures, long names"}));

    const PictureFormats& formats = PictureFormats::instance();
    EXPECT_TRUE(formats.isRegistered("tpc"));
    EXPECT_EQ(formats.descriptionOf("Tpc"), "Tiny pictures");
    EXPECT_TRUE(formats.isRegistered("tiny"));
    EXPECT_FALSE(formats.isRegistered("tny"));
    EXPECT_NE(dynamic_cast<TSPIBitmap*>(formats.create("tpc").get()), nullptr);

    // Formats outlive their plug-ins.
    spis.Clear();
    EXPECT_TRUE(formats.isRegistered("tpc"));
}

TEST(SPICollection, ListOperationsKeepOrderAndCheckTheirIndex) {
    TSPIs spis;
    spis.Add(CreateSPI(testPlugin("tiny")));
    spis.Insert(0, CreateSPI(testPlugin("archive")));
    spis.Insert(1, CreateSPI(testPlugin("plain")));
    EXPECT_EQ(QFileInfo(spis.Items(0)->FileName()).completeBaseName(), "archive");
    EXPECT_EQ(QFileInfo(spis.Items(1)->FileName()).completeBaseName(), "plain");
    EXPECT_EQ(QFileInfo(spis.Items(2)->FileName()).completeBaseName(), "tiny");
    EXPECT_THROW((void)spis.Items(3), EListError);
    EXPECT_THROW((void)spis.Items(-1), EListError);
    EXPECT_THROW(spis.Insert(5, CreateSPI(testPlugin("twin"))), EListError);
    EXPECT_THROW(spis.Delete(3), EListError);

    spis.Delete(1);
    EXPECT_EQ(spis.Count(), 2);
    EXPECT_FALSE(isLoaded(testPlugin("plain")));
    spis.Clear();
    EXPECT_EQ(spis.Count(), 0);
    EXPECT_FALSE(isLoaded(testPlugin("tiny")));
}

TEST(SPICollection, FindPluginsPutsThoseNamingTheExtensionFirstLatestForemost) {
    TSPIs spis;
    spis.Add(CreateSPI(testPlugin("archive")));
    spis.Add(CreateSPI(testPlugin("tiny")));
    spis.Add(CreateSPI(testPlugin("comment")));
    spis.Add(CreateSPI(testPlugin("twin")));

    QList<TSPI*> all;
    spis.FindPlugins({spiClass<TSPI>}, all, "/pictures/a.tpc");
    EXPECT_EQ(namesOf(all), QStringList({"twin", "tiny", "archive", "comment"}));

    QList<TSPI*> filters;
    spis.FindPlugins({spiClass<TInSPI>}, filters, "A.TPC");
    EXPECT_EQ(namesOf(filters), QStringList({"twin", "tiny", "comment"}));

    QList<TSPI*> noExtension;
    spis.FindPlugins({spiClass<TInSPI>}, noExtension, "/pictures.tpc/name");
    EXPECT_EQ(namesOf(noExtension), QStringList({"tiny", "comment", "twin"}));

    // The target keeps what it held; every pattern of a multi-pattern entry counts.
    for (const QString name : {"x.tny", "x.TINY"}) {
        QList<TSPI*> target{spis.Items(0)};
        spis.FindPlugins({spiClass<TAmSPI>, spiClass<TInSPI>}, target, name);
        EXPECT_EQ(namesOf(target), QStringList({"twin", "comment", "tiny", "archive", "archive"}));
    }
}

} // namespace
