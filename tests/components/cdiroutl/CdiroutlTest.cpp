#include "components/cdiroutl/Cdiroutl.h"

#include "components/palette/Palette.h"
#include "support/AsOrdinaryUser.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// The outline over a temporary tree whose folders stand in for volumes,
// counting every folder level it reads.
class TestOutline : public TCDirectoryOutline {
public:
    using TCDirectoryOutline::Change;
    using TCDirectoryOutline::Click;

    QStringList volumes;
    mutable QStringList readPaths;

protected:
    QStringList Volumes() const override { return volumes; }
    QStringList readFolder(const QString& folderPath) const override {
        readPaths << folderPath;
        return TCDirectoryOutline::readFolder(folderPath);
    }
};

class cdiroutlOutline : public ::testing::Test {
protected:
    cdiroutlOutline() {
        tree.mkdir("Vol/Photos/Summer/Beach");
        tree.mkdir("Vol/Photos/2024");
        tree.mkdir("Vol/docs");
        tree.mkdir("Vol/Music");
        tree.mkdir("Vol/.hidden/inside");
        tree.write("Vol/zeta.txt", "a file is no folder");
        tree.mkdir("Other/Backup/Old");
        outline.volumes = {vol, other};
        QObject::connect(&outline, &TIndexedOutline::OnClick, [this] { events << "click"; });
        QObject::connect(&outline, &TCDirectoryOutline::OnChange, [this] { events << "change"; });
        QObject::connect(&outline, &TIndexedOutline::OnExpand,
                         [this](int index) { events << "expand " + outline.itemText(index); });
    }
    ~cdiroutlOutline() override { QDir::setCurrent(savedCurrentDirectory); }

    // Starts the outline in `folder` (relative to the tree), as the window's creation does.
    void startIn(const QString& folder) {
        ASSERT_TRUE(QDir::setCurrent(real(folder)));
        outline.CreateWnd();
        outline.readPaths.clear();
        events.clear();
    }
    [[nodiscard]] QString real(const QString& relative) const { return root + "/" + relative; }
    [[nodiscard]] QString shown(const QString& relative) const { return real(relative).toLower(); }
    [[nodiscard]] QStringList childTexts(int index) const {
        QStringList texts;
        for (int i = outline.firstChildIndex(index); i != TIndexedOutline::InvalidIndex;
             i = outline.nextChildIndex(i))
            texts << outline.itemText(i);
        return texts;
    }
    [[nodiscard]] int itemAt(const QString& path) {
        int index = TCDirectoryOutline::RootIndex;
        for (const QString& name : path.split('/', Qt::SkipEmptyParts))
            index = outline.GetChildNamed(name, index);
        return index;
    }

    const QString savedCurrentDirectory = QDir::currentPath();
    TempDir tree;
    const QString root = QFileInfo(tree.path()).canonicalFilePath();
    const QString vol = root + "/Vol";
    const QString other = root + "/Other";
    TestOutline outline;
    QStringList events;
};

TEST_F(cdiroutlOutline, BuildingReadsOnlyTheLevelsOnTheWayToTheCurrentDirectory) {
    ASSERT_TRUE(QDir::setCurrent(real("Vol/Photos/Summer")));
    outline.CreateWnd();

    EXPECT_EQ(outline.Drive(), vol);
    EXPECT_EQ(outline.Directory(), real("Vol/Photos/Summer"));
    EXPECT_EQ(outline.itemText(TCDirectoryOutline::RootIndex), vol.toLower());
    EXPECT_EQ(childTexts(1), (QStringList{"docs", "music", "photos"}));
    EXPECT_EQ(outline.itemText(outline.selectedItem()), "summer");
    EXPECT_EQ(outline.itemFullPath(outline.selectedItem()), shown("Vol/Photos/Summer"));
    EXPECT_EQ(outline.readPaths, (QStringList{vol, real("Vol/Photos")}));
    EXPECT_EQ(events, (QStringList{"expand " + vol.toLower(), "expand photos", "change"}));
    EXPECT_FALSE(outline.isItemExpanded(outline.selectedItem()));
}

TEST_F(cdiroutlOutline, EachLevelIsReadOnceWhenFirstExpanded) {
    startIn("Vol");
    const int photos = itemAt("photos");
    outline.setItemExpanded(photos, true);
    outline.setItemExpanded(photos, false);
    outline.setItemExpanded(photos, true);
    // The volume's own folder was selected, not opened: finding photos opened it.
    EXPECT_EQ(outline.readPaths, (QStringList{vol, real("Vol/Photos")}));
    EXPECT_EQ(events, (QStringList{"expand " + vol.toLower(), "expand photos", "expand photos"}));
    EXPECT_EQ(childTexts(photos), (QStringList{"2024", "summer"}));

    // Walking to a folder whose levels are read reads nothing more.
    outline.SetDirectory(real("Vol/Photos/2024"));
    EXPECT_EQ(outline.readPaths, (QStringList{vol, real("Vol/Photos")}));
}

TEST_F(cdiroutlOutline, FoldersAreInCaseInsensitiveOrderWhateverTheDiskSays) {
    for (const char* name : {"delta", "Charlie", "bravo", "ALPHA", "echo"})
        tree.mkdir(QString("Vol/Sort/") + name);
    outline.SetTextCase(TCDirectoryOutline::tcAsIs);
    startIn("Vol/Sort");
    const int sort = itemAt("Sort");
    EXPECT_TRUE(childTexts(sort).isEmpty());
    outline.setItemExpanded(sort, true);
    EXPECT_EQ(childTexts(sort), (QStringList{"ALPHA", "bravo", "Charlie", "delta", "echo"}));
}

TEST_F(cdiroutlOutline, AClickRaisesOnClickThenOnChangeAndMovesTheProcess) {
    startIn("Vol/Photos");
    outline.resize(300, 400);
    outline.show();
    ASSERT_EQ(outline.itemCount(), 4);
    const int music = itemAt("music");
    events.clear();

    const QRect rect = outline.visualItemRect(outline.itemAtIndex(music));
    QTest::mouseClick(outline.viewport(), Qt::LeftButton, {}, rect.center());

    EXPECT_EQ(events, (QStringList{"click", "change"}));
    EXPECT_EQ(outline.Directory(), real("Vol/Music"));
    // The name is shown in lower case, the process is in the real folder.
    EXPECT_EQ(QDir::currentPath(), real("Vol/Music"));

    events.clear();
    QTest::mouseClick(outline.viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(events, QStringList{"click"});

    outline.setFocus();
    QTest::keyClick(&outline, Qt::Key_Down);
    EXPECT_EQ(outline.Directory(), real("Vol/Photos"));
    EXPECT_EQ(QDir::currentPath(), real("Vol/Photos"));
    EXPECT_EQ(events, (QStringList{"click", "click", "change"}));
}

TEST_F(cdiroutlOutline, SettingTheDirectoryNormalisesItAndIgnoresWhatChangesNothing) {
    startIn("Vol");
    outline.SetDirectory(real("Vol/Photos/Summer/"));
    EXPECT_EQ(outline.Directory(), real("Vol/Photos/Summer"));
    EXPECT_EQ(events, (QStringList{"expand " + vol.toLower(), "expand photos", "change"}));
    EXPECT_EQ(QDir::currentPath(), real("Vol/Photos/Summer"));

    events.clear();
    outline.SetDirectory(real("Vol/Photos/Summer").toUpper());
    outline.SetDirectory(QString());
    outline.SetDirectory(".");
    EXPECT_TRUE(events.isEmpty());

    // Relative to the process's current directory, in any case.
    outline.SetDirectory("BEACH");
    EXPECT_EQ(outline.Directory(), real("Vol/Photos/Summer/Beach"));
    EXPECT_EQ(QDir::currentPath(), real("Vol/Photos/Summer/Beach"));
    outline.SetDirectory("../../../");
    EXPECT_EQ(outline.Directory(), vol);
    EXPECT_EQ(outline.selectedItem(), TCDirectoryOutline::RootIndex);
}

TEST_F(cdiroutlOutline, AFailedSetDirectoryChangesNothingAndANewFolderIsFound) {
    startIn("Vol/docs");
    for (const QString& target : {real("Vol/.hidden/inside"), real("Vol/Photos/Nowhere"),
                                  real("Vol/zeta.txt"), root + "/Outside"}) {
        EXPECT_THROW(outline.SetDirectory(target), EOutlineDirectoryError) << target.toStdString();
        EXPECT_EQ(outline.Directory(), real("Vol/docs"));
        EXPECT_EQ(QDir::currentPath(), real("Vol/docs"));
        EXPECT_EQ(outline.itemText(outline.selectedItem()), "docs");
    }
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(outline.GetChildNamed("nowhere", itemAt("photos")), TIndexedOutline::InvalidIndex);
    EXPECT_THROW(outline.WalkTree(real("Elsewhere")), EOutlineIndexError);

    // A folder the system refuses to enter: refused, and nothing changed.
    tree.mkdir("Vol/Locked");
    ASSERT_EQ(::chmod(QFile::encodeName(real("Vol/Locked")).constData(), 0), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(root).constData(), 0755), 0);
    {
        const AsOrdinaryUser user;
        EXPECT_THROW(outline.SetDirectory(real("Vol/Locked")), EOutlineDirectoryError);
        EXPECT_EQ(outline.Directory(), real("Vol/docs"));
        EXPECT_EQ(QDir::currentPath(), real("Vol/docs"));
    }

    // Made after its parent was read: that level is read again.
    tree.mkdir("Vol/Photos/Nowhere");
    outline.SetDirectory(real("Vol/Photos/Nowhere"));
    EXPECT_EQ(outline.Directory(), real("Vol/Photos/Nowhere"));
    EXPECT_EQ(childTexts(itemAt("photos")), (QStringList{"2024", "nowhere", "summer"}));
}

TEST_F(cdiroutlOutline, FoldersDifferingOnlyInCaseKeepTheirRealNames) {
    tree.mkdir("Vol/Apple");
    tree.mkdir("Vol/apple/core");
    startIn("Vol");
    outline.setItemExpanded(1, true);
    EXPECT_EQ(childTexts(1), (QStringList{"apple", "apple", "docs", "music", "photos"}));
    const int second = outline.nextChildIndex(outline.firstChildIndex(1));
    outline.setSelectedItem(second);
    outline.Click();
    EXPECT_EQ(outline.Directory(), real("Vol/apple"));
    EXPECT_EQ(QDir::currentPath(), real("Vol/apple"));
    EXPECT_EQ(outline.selectedItem(), second);
    outline.SetDirectory(real("Vol/Apple"));
    EXPECT_EQ(outline.selectedItem(), outline.firstChildIndex(1));
    outline.SetDirectory("../apple/core");
    EXPECT_EQ(outline.Directory(), real("Vol/apple/core"));
}

TEST_F(cdiroutlOutline, ItemsAreNumberedDepthFirstIncludingCollapsedOnes) {
    startIn("Vol/Photos/Summer");
    // 1 volume, 2 docs, 3 music, 4 photos, 5 2024, 6 summer.
    EXPECT_EQ(outline.itemCount(), 6);
    EXPECT_EQ(outline.itemText(4), "photos");
    EXPECT_EQ(outline.firstChildIndex(4), 5);
    EXPECT_EQ(outline.nextChildIndex(5), 6);
    EXPECT_EQ(outline.nextChildIndex(6), TIndexedOutline::InvalidIndex);
    EXPECT_EQ(outline.lastChildIndex(1), 4);
    EXPECT_EQ(outline.parentIndex(6), 4);
    EXPECT_EQ(outline.parentIndex(1), 0);
    EXPECT_EQ(outline.firstChildIndex(2), TIndexedOutline::InvalidIndex);
    outline.setItemExpanded(2, false);
    EXPECT_EQ(outline.itemFullPath(6), shown("Vol/Photos/Summer"));
    EXPECT_THROW((void)outline.itemAtIndex(-1), EOutlineIndexError);
    EXPECT_THROW((void)outline.itemAtIndex(7), EOutlineIndexError);
    EXPECT_THROW(outline.setSelectedItem(-1), EOutlineIndexError);

    const int added = outline.insertItem(3, "inserted");
    EXPECT_EQ(added, 3);
    EXPECT_EQ(outline.itemText(4), "music");
    EXPECT_EQ(outline.addItem(5, "after photos"), 8);
    EXPECT_EQ(outline.parentIndex(8), 1);
}

TEST_F(cdiroutlOutline, TextCaseRoundTripsKeepNavigatingTheRealFolders) {
    startIn("Vol/Photos/Summer");

    outline.SetTextCase(TCDirectoryOutline::tcUpperCase);
    EXPECT_EQ(outline.itemText(1), vol.toUpper());
    EXPECT_EQ(childTexts(1), (QStringList{"DOCS", "MUSIC", "PHOTOS"}));
    EXPECT_EQ(outline.Directory(), real("Vol/Photos/Summer"));
    EXPECT_EQ(outline.itemText(outline.selectedItem()), "SUMMER");
    outline.SetDirectory(outline.Directory() + "/BEACH");
    EXPECT_EQ(QDir::currentPath(), real("Vol/Photos/Summer/Beach"));

    outline.SetTextCase(TCDirectoryOutline::tcAsIs);
    EXPECT_EQ(outline.itemText(1), vol);
    EXPECT_EQ(childTexts(1), (QStringList{"docs", "Music", "Photos"}));
    EXPECT_EQ(outline.Directory(), real("Vol/Photos/Summer/Beach"));
    EXPECT_EQ(outline.itemText(outline.selectedItem()), "Beach");

    outline.SetTextCase(TCDirectoryOutline::tcLowerCase);
    EXPECT_EQ(outline.Directory(), real("Vol/Photos/Summer/Beach"));
    EXPECT_EQ(childTexts(itemAt("photos")), (QStringList{"2024", "summer"}));
    EXPECT_EQ(QDir::currentPath(), real("Vol/Photos/Summer/Beach"));

    // Every switch rebuilds the tree and raises OnChange; setting the same case does nothing.
    events.removeIf([](const QString& e) { return e.startsWith("expand"); });
    EXPECT_EQ(events, (QStringList{"change", "change", "change", "change"}));
    outline.SetTextCase(TCDirectoryOutline::tcLowerCase);
    EXPECT_EQ(events.size(), 4);
    EXPECT_EQ(outline.property("TextCase").toInt(), int(TCDirectoryOutline::tcLowerCase));
}

TEST_F(cdiroutlOutline, ChangingTheVolumeRemembersEachVolumesDirectory) {
    startIn("Vol/docs");
    outline.SetDrive(other.toUpper());
    EXPECT_EQ(outline.Drive(), other);
    EXPECT_EQ(outline.Directory(), other);
    EXPECT_EQ(QDir::currentPath(), other);
    EXPECT_EQ(outline.itemText(1), other.toLower());
    EXPECT_EQ(events, (QStringList{"change"}));

    outline.SetDirectory(real("Other/Backup/Old"));
    outline.SetDirectory(real("Vol/Music"));
    EXPECT_EQ(outline.Drive(), vol);
    EXPECT_EQ(outline.Directory(), real("Vol/Music"));
    outline.SetDrive(other);
    EXPECT_EQ(outline.Directory(), real("Other/Backup/Old"));
    EXPECT_EQ(QDir::currentPath(), real("Other/Backup/Old"));

    events.clear();
    outline.SetDrive(other.toLower());
    outline.SetDrive(root + "/NotAVolume");
    outline.SetDrive(QString());
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(outline.DriveToInt(vol.toUpper()), 0);
    EXPECT_EQ(outline.DriveToInt(root), -1);
}

TEST_F(cdiroutlOutline, ABuiltSubtreeHoldsEveryFolderOnceAndStopsAtLinksBack) {
    ASSERT_TRUE(QFile::link(vol, real("Vol/Photos/back-to-top")));
    startIn("Vol");
    outline.BuildSubTree(TCDirectoryOutline::RootIndex);

    // volume + docs, music, photos + 2024, back-to-top, summer + beach.
    EXPECT_EQ(outline.itemCount(), 8);
    EXPECT_EQ(childTexts(itemAt("photos")), (QStringList{"2024", "back-to-top", "summer"}));
    EXPECT_EQ(outline.firstChildIndex(itemAt("photos/back-to-top")), TIndexedOutline::InvalidIndex);
    const int readsAfterFirst = int(outline.readPaths.size());
    outline.BuildSubTree(TCDirectoryOutline::RootIndex);
    EXPECT_EQ(outline.readPaths.size(), readsAfterFirst);
    EXPECT_EQ(outline.itemCount(), 8);
}

TEST_F(cdiroutlOutline, TheFirstShowingBuildsFromTheCurrentDirectoryOnlyOnAVolume) {
    ASSERT_TRUE(QDir::setCurrent(root));
    outline.Loaded();
    outline.show();
    EXPECT_EQ(outline.itemCount(), 0);
    EXPECT_TRUE(outline.Drive().isEmpty());
    EXPECT_TRUE(events.isEmpty());

    TestOutline second;
    second.volumes = outline.volumes;
    ASSERT_TRUE(QDir::setCurrent(real("Vol/Music")));
    second.show();
    EXPECT_EQ(second.Drive(), vol);
    EXPECT_EQ(second.itemText(second.selectedItem()), "music");
}

TEST(cdiroutlCurDir, ReportsLongPathsInFull) {
    const QString saved = QDir::currentPath();
    TempDir tree;
    const QString deep =
        tree.mkdir(QString(60, 'a') + "/" + QString(60, 'b') + "/" + QString(60, 'c') + "/" +
                   QString(60, 'd') + "/" + QString(60, 'e'));
    ASSERT_TRUE(QDir::setCurrent(deep));
    const QString reported = TCDirectoryOutline::CurDir();
    QDir::setCurrent(saved);
    EXPECT_GT(reported.size(), 300);
    EXPECT_EQ(reported, QFileInfo(deep).canonicalFilePath());
}

TEST(cdiroutlRegistration, PutsTheOutlineOnThePalette) {
    Cdiroutl::Register();
    const auto& entries = palette::registeredComponents();
    const auto entry = std::find_if(entries.begin(), entries.end(), [](const auto& e) {
        return e.className == "TCDirectoryOutline";
    });
    ASSERT_NE(entry, entries.end());
    EXPECT_FALSE(entry->icon.isNull());
    EXPECT_TRUE(entry->domXml.contains("class=\"TCDirectoryOutline\""));
    QWidget parent;
    auto* created = qobject_cast<TCDirectoryOutline*>(entry->create(&parent));
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->TextCase(), TCDirectoryOutline::tcLowerCase);
    EXPECT_FALSE(created->rootIsDecorated());
}

} // namespace

TEST_F(cdiroutlOutline, StarAndDeepFoldersAndExpandButtons) {
    ASSERT_TRUE(QFile::link(vol, real("Vol/Photos/Summer/up")));
    QString deep = "Vol/docs";
    for (int level = 0; level < 40; ++level)
        deep += QStringLiteral("/level%1").arg(level);
    tree.mkdir(deep);
    startIn("Vol");
    outline.resize(200, 200);
    outline.show();

    // Only folders holding a subfolder offer an expand button before they are read.
    outline.setItemExpanded(1, true);
    EXPECT_EQ(outline.itemAtIndex(itemAt("music"))->childIndicatorPolicy(),
              QTreeWidgetItem::DontShowIndicator);
    EXPECT_EQ(outline.itemAtIndex(itemAt("photos"))->childIndicatorPolicy(),
              QTreeWidgetItem::ShowIndicator);

    outline.setSelectedItem(itemAt("photos"));
    QTest::keyClick(&outline, Qt::Key_Asterisk);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return outline.itemAtIndex(itemAt("photos/summer"))->isExpanded(); }));
    const QTreeWidgetItem* up = outline.itemAtIndex(itemAt("photos/summer/up"));
    EXPECT_FALSE(up->isExpanded());
    EXPECT_EQ(up->childCount(), 0);

    // 40 levels down, the selected folder's name is scrolled into view.
    outline.SetDirectory(real(deep));
    EXPECT_EQ(outline.Directory(), real(deep));
    const QTreeWidgetItem* last = outline.currentItem();
    ASSERT_TRUE(QTest::qWaitFor([&] { return outline.horizontalScrollBar()->value() > 0; }));
    EXPECT_GE(outline.visualItemRect(last).left(), 0);
    EXPECT_LT(outline.visualItemRect(last).left(), outline.viewport()->width());

    // Opened there at any height, it is not hidden under the scroll bar that
    // appears as the column widens.
    const int rowHeight = outline.visualItemRect(last).height();
    startIn(deep);
    for (int height = 150; height < 150 + rowHeight; ++height) {
        TCDirectoryOutline opened;
        opened.resize(200, height);
        opened.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return opened.horizontalScrollBar()->value() > 0; }));
        EXPECT_LE(opened.visualItemRect(opened.currentItem()).bottom(), opened.viewport()->height())
            << height;
    }
}

TEST_F(cdiroutlOutline, StartedInADeletedFolderShowsItsNearestExistingParent) {
    tree.mkdir("Vol/Photos/Gone/Deeper");
    ASSERT_TRUE(QDir::setCurrent(real("Vol/Photos/Gone/Deeper")));
    QDir(real("Vol/Photos/Gone")).removeRecursively();
    outline.CreateWnd();
    EXPECT_EQ(outline.Directory(), real("Vol/Photos"));
    EXPECT_EQ(outline.itemText(outline.selectedItem()), "photos");
    EXPECT_EQ(QDir::currentPath(), real("Vol/Photos"));
}
