#include "components/expviewlite/ExpViewLite.h"

#include "components/palette/Palette.h"
#include "support/TempDir.h"

#include <QFile>
#include <QMetaProperty>
#include <QScrollBar>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

// The view over folders of a temporary tree standing in for volumes, counting
// every directory read.
class CountingView : public TExpViewLite {
public:
    using TExpViewLite::CanExpand;

    QStringList roots;
    mutable QStringList readPaths;
    std::function<void()> duringRead;

    [[nodiscard]] int reads() const { return int(readPaths.size()); }

protected:
    QStringList volumeRoots() const override { return roots; }
    QStringList readSubfolders(const QString& folderPath, bool stopAtFirst) const override {
        readPaths << folderPath;
        if (duringRead)
            duringRead();
        return TExpViewLite::readSubfolders(folderPath, stopAtFirst);
    }
};

QStringList childTexts(const QTreeWidgetItem* node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

QTreeWidgetItem* childNamed(const QTreeWidgetItem* node, const QString& text) {
    for (int i = 0; node != nullptr && i < node->childCount(); ++i) {
        if (node->child(i)->text(0) == text)
            return node->child(i);
    }
    return nullptr;
}

bool hasExpandButton(const QTreeWidgetItem* node) {
    return node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

class expviewliteTree : public ::testing::Test {
protected:
    expviewliteTree() {
        tree.mkdir("volA/Alpha/x");
        tree.mkdir("volA/Alpha/y");
        tree.mkdir("volA/beta");
        tree.mkdir("volA/gamma/.cache");
        tree.mkdir("volA/.git/objects");
        tree.write("volA/zeta.txt", "not a folder");
        tree.mkdir("volB/.config");
        tree.write("volB/readme.txt", "only a file and a hidden folder");
        view.roots = {tree.file("volA"), tree.file("volB"), tree.file("no-medium")};
    }

    TempDir tree;
    CountingView view;
};

TEST_F(expviewliteTree, LoadingMakesOneRootPerVolumeAndLooksOnlyForAFirstSubfolder) {
    view.Loaded();

    ASSERT_EQ(view.topLevelItemCount(), 3);
    const QTreeWidgetItem* a = view.topLevelItem(0);
    const QTreeWidgetItem* b = view.topLevelItem(1);
    const QTreeWidgetItem* missing = view.topLevelItem(2);
    EXPECT_EQ(a->text(0), tree.file("volA"));
    EXPECT_TRUE(hasExpandButton(a));
    // Only a folder beginning with "." does not count as a subfolder.
    EXPECT_FALSE(hasExpandButton(b));
    // A volume that cannot be read is still a root, without a button.
    EXPECT_FALSE(hasExpandButton(missing));
    for (const QTreeWidgetItem* root : {a, b, missing})
        EXPECT_EQ(root->childCount(), 0);
    EXPECT_EQ(view.reads(), 3);
    EXPECT_EQ(view.editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(expviewliteTree, ExpandingReadsTheFolderOnceSortedWithoutDotNames) {
    view.Loaded();
    QTreeWidgetItem* a = view.topLevelItem(0);
    view.readPaths.clear();
    QList<Qt::CursorShape> cursorWhileReading;
    view.duringRead = [&] { cursorWhileReading << view.cursor().shape(); };

    a->setExpanded(true);

    EXPECT_EQ(childTexts(a), (QStringList{"Alpha", "beta", "gamma"}));
    // The folder itself, then each new child only up to its first subfolder.
    EXPECT_EQ(view.reads(), 4);
    EXPECT_EQ(view.readPaths.first(), tree.file("volA") + "/");
    EXPECT_TRUE(hasExpandButton(childNamed(a, "Alpha")));
    EXPECT_FALSE(hasExpandButton(childNamed(a, "beta")));
    EXPECT_FALSE(hasExpandButton(childNamed(a, "gamma")));
    EXPECT_EQ(childNamed(a, "Alpha")->childCount(), 0);
    EXPECT_EQ(cursorWhileReading, QList<Qt::CursorShape>(4, Qt::WaitCursor));
    EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);

    a->setExpanded(false);
    a->setExpanded(true);
    EXPECT_EQ(view.reads(), 4);
    EXPECT_EQ(a->childCount(), 3);
}

TEST_F(expviewliteTree, ChildrenAreInAlphabeticalOrderWhateverTheirCase) {
    for (const char* name : {"delta", "Charlie", "bravo", "Alpha", "x", "X", "_under", "10"})
        tree.mkdir(QString("volC/") + name);
    view.roots = {tree.file("volC")};
    view.Loaded();
    QTreeWidgetItem* c = view.topLevelItem(0);

    c->setExpanded(true);

    EXPECT_EQ(childTexts(c),
              (QStringList{"10", "_under", "Alpha", "bravo", "Charlie", "delta", "X", "x"}));
}

TEST_F(expviewliteTree, ARefusingExpandingHandlerDoesNotStopTheFolderOpening) {
    view.Loaded();
    QTreeWidgetItem* a = view.topLevelItem(0);
    QStringList events;
    QObject::connect(&view, &TExpViewLite::OnExpanding,
                     [&](QTreeWidgetItem* node, bool* allowExpansion) {
                         events << QString("expanding %1 children, %2 reads")
                                       .arg(node->childCount())
                                       .arg(view.reads());
                         *allowExpansion = false;
                     });
    QObject::connect(&view, &QTreeWidget::itemExpanded, [&](QTreeWidgetItem* node) {
        events << QString("expanded %1 children").arg(node->childCount());
    });

    a->setExpanded(true);

    EXPECT_TRUE(a->isExpanded());
    EXPECT_EQ(events, (QStringList{"expanding 0 children, 3 reads", "expanded 3 children"}));
}

TEST_F(expviewliteTree, FolderNameIsTheSelectedNodesPathEndingInASlash) {
    view.Loaded();
    EXPECT_EQ(view.GetFolderName(), QString());
    QTreeWidgetItem* a = view.topLevelItem(0);
    a->setExpanded(true);

    view.setCurrentItem(a);
    EXPECT_EQ(view.property("FolderName").toString(), tree.file("volA") + "/");
    childNamed(a, "Alpha")->setExpanded(true);
    view.setCurrentItem(childNamed(childNamed(a, "Alpha"), "y"));
    EXPECT_EQ(view.GetFolderName(), tree.file("volA/Alpha/y/"));
    view.clearSelection();
    EXPECT_EQ(view.GetFolderName(), QString());

    // The root "/" already ends in the separator.
    QTreeWidgetItem root(QStringList{"/"});
    auto* usr = new QTreeWidgetItem(&root, QStringList{"usr"});
    EXPECT_EQ(TExpViewLite::NodePath(&root), "/");
    EXPECT_EQ(TExpViewLite::NodePath(usr), "/usr/");
}

TEST_F(expviewliteTree, TheFirstShowingLoadsTheVolumesAndKeysOpenFolders) {
    tree.mkdir("volA/lnk-target/deep");
    ASSERT_TRUE(QFile::link(tree.file("volA/lnk-target"), tree.file("volA/link")));
    view.show();
    ASSERT_EQ(view.topLevelItemCount(), 3);
    view.hide();
    view.show();
    EXPECT_EQ(view.topLevelItemCount(), 3);

    view.setFocus();
    view.setCurrentItem(view.topLevelItem(0));
    QTest::keyClick(&view, Qt::Key_Right);

    QTreeWidgetItem* a = view.topLevelItem(0);
    EXPECT_TRUE(a->isExpanded());
    // A link to a folder is a folder.
    EXPECT_EQ(childTexts(a), (QStringList{"Alpha", "beta", "gamma", "link", "lnk-target"}));
    EXPECT_TRUE(hasExpandButton(childNamed(a, "link")));
}

TEST(expviewliteRegistration, PutsTheViewOnThePalette) {
    ExpViewLite::Register();
    const auto& entries = palette::registeredComponents();
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [](const auto& e) { return e.className == "TExpViewLite"; });
    ASSERT_NE(entry, entries.end());
    EXPECT_EQ(entry->includeFile, "components/expviewlite/ExpViewLite.h");
    EXPECT_FALSE(entry->icon.isNull());
    EXPECT_TRUE(entry->domXml.contains("class=\"TExpViewLite\""));
    QWidget parent;
    auto* created = qobject_cast<TExpViewLite*>(entry->create(&parent));
    ASSERT_NE(created, nullptr);
    // FolderName is offered read-only; the view governs indentation and sorting itself.
    const QMetaObject* meta = created->metaObject();
    const QMetaProperty folderName = meta->property(meta->indexOfProperty("FolderName"));
    EXPECT_TRUE(folderName.isReadable() && !folderName.isWritable() && !folderName.isStored());
    EXPECT_FALSE(meta->property(meta->indexOfProperty("indentation")).isDesignable());
    EXPECT_FALSE(meta->property(meta->indexOfProperty("sortingEnabled")).isDesignable());
}

} // namespace

TEST_F(expviewliteTree, StarOpensEverythingInStepsNeverFollowingALinkBackAndEscStopsIt) {
    ASSERT_TRUE(QFile::link(tree.file("volA"), tree.file("volA/Alpha/x/up")));
    view.Loaded();
    view.resize(200, 200);
    view.show();
    QTreeWidgetItem* volA = view.topLevelItem(0);
    view.setCurrentItem(volA);

    // Esc before the first step: nothing opens.
    QTest::keyClick(&view, Qt::Key_Asterisk);
    EXPECT_FALSE(volA->isExpanded());
    QTest::keyClick(&view, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(volA->isExpanded());

    QTest::keyClick(&view, Qt::Key_Asterisk);
    QTreeWidgetItem* up = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return (up = childNamed(childNamed(childNamed(volA, "Alpha"), "x"), "up")) != nullptr;
    }));
    const QTreeWidgetItem* alpha = childNamed(volA, "Alpha");
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return childNamed(volA, "gamma")->isExpanded() && childNamed(alpha, "y")->isExpanded();
    }));
    // The link leads back to volA, already on the way down: shown, never opened.
    EXPECT_FALSE(up->isExpanded());
    EXPECT_EQ(up->childCount(), 0);
    EXPECT_EQ(childTexts(volA), (QStringList{"Alpha", "beta", "gamma"}));

    // The selected item's text is scrolled into view however narrow the view.
    view.resize(40, 200);
    view.setCurrentItem(up);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.horizontalScrollBar()->value() > 0; }));
    EXPECT_GE(view.visualItemRect(up).left(), 0);
}
