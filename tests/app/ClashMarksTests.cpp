#include "app/LargeView.h"
#include "app/Main.h"
#include "app/ToolbarArt.h"
#include "settings/RegIniFile.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

const QString Taken = QStringLiteral("同じ名前のファイルがあります: ");
const QString SameContent = QStringLiteral("同じ内容");

QImage iconImage(const QIcon& icon) {
    return icon.pixmap(ToolbarImageSize, ToolbarImageSize).toImage();
}

// What destination `number` shows in the list, on its button and in the large
// view: marked or not, and the tooltips, which must agree.
struct Shown {
    bool listMarked = false;
    bool buttonMarked = false;
    QString listTip;
    QString buttonTip;
};

Shown shownFor(TfrmMain& window, int number) {
    const QTreeWidgetItem* row =
        window.lvDirList->topLevelItem(settings::listRowOfDestination(number));
    Shown shown;
    for (int column = 0; column < window.lvDirList->columnCount(); ++column)
        shown.listMarked |= !row->icon(column).isNull();
    shown.listTip = row->toolTip(0);
    const QAction* button = window.tbNum[size_t(number - 1)];
    shown.buttonMarked = iconImage(button->icon()) != iconImage(digitIcon(number));
    shown.buttonTip = button->toolTip();
    return shown;
}

} // namespace

TEST(ClashMarks, MarkTheDestinationsHoldingThePictureNameBeforeAKey) {
    TempDir tmp;
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(tmp.mkdir("src") + "/p1.bmp", "BMP"));
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(tmp.file("src/p2.bmp"), "BMP"));
    // 1 holds a copy of p1, 3 another file of its name, 2 and the rest nothing.
    QDir().mkpath(tmp.file("one"));
    QFile::copy(tmp.file("src/p1.bmp"), tmp.file("one/p1.bmp"));
    tmp.write("three/p1.bmp", "another picture");
    tmp.mkdir("two");
    {
        TRegIniFile store(settings::KeyPath);
        TDestinations destinations = settings::readDestinations(store);
        destinations[0].Directory = tmp.file("one");
        destinations[1].Directory = tmp.file("two");
        destinations[2].Directory = tmp.file("three") + "/";
        settings::writeDestinations(store, destinations);
    }
    ScriptedPrompter prompter;
    TfrmMain window(prompter);
    window.show();
    const QString hint1 = window.tbNum[0]->toolTip();

    window.OpenDirectory(tmp.file("src"));
    ASSERT_EQ(window.browser().CurrentFile, "p1.bmp");
    for (const int number : {1, 3}) {
        SCOPED_TRACE(number);
        const Shown shown = shownFor(window, number);
        EXPECT_TRUE(shown.listMarked);
        EXPECT_TRUE(shown.buttonMarked);
        EXPECT_TRUE(shown.listTip.startsWith(Taken)) << qPrintable(shown.listTip);
        EXPECT_EQ(shown.buttonTip,
                  QStringLiteral("No.%1の設定実行").arg(number) + u'\n' + shown.listTip);
    }
    for (const int number : {2, 4, 9}) {
        SCOPED_TRACE(number);
        const Shown shown = shownFor(window, number);
        EXPECT_FALSE(shown.listMarked);
        EXPECT_FALSE(shown.buttonMarked);
        EXPECT_TRUE(shown.listTip.isEmpty());
    }
    // The copy is found to be the picture; the other file never is.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return shownFor(window, 1).listTip.endsWith(u'\n' + SameContent); }));
    EXPECT_TRUE(shownFor(window, 1).buttonTip.endsWith(u'\n' + SameContent));
    EXPECT_FALSE(shownFor(window, 3).listTip.contains(SameContent));

    // The large view's buttons carry the same marks.
    window.ShowLargeView();
    TfrmLargeView* view = window.largeView();
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->numberButtons[0]->icon().isNull());
    EXPECT_EQ(view->numberButtons[0]->toolTip(), shownFor(window, 1).listTip);
    EXPECT_FALSE(view->numberButtons[2]->icon().isNull());
    EXPECT_TRUE(view->numberButtons[1]->icon().isNull());

    // A destination changed in the options is looked at again.
    tmp.write("two/p1.bmp", "yet another");
    {
        TRegIniFile store(settings::KeyPath);
        TDestinations destinations = settings::readDestinations(store);
        destinations[8].Directory = tmp.file("two");
        settings::writeDestinations(store, destinations);
    }
    window.LoadDirList();
    EXPECT_TRUE(shownFor(window, 9).listMarked);
    EXPECT_TRUE(shownFor(window, 9).buttonMarked);
    EXPECT_FALSE(view->numberButtons[8]->icon().isNull());

    // The next picture clashes nowhere: every mark goes, the hints come back.
    QChar space(u' ');
    window.FormKeyPress(space);
    ASSERT_EQ(window.browser().CurrentFile, "p2.bmp");
    for (int number = 1; number <= 9; ++number) {
        SCOPED_TRACE(number);
        const Shown shown = shownFor(window, number);
        EXPECT_FALSE(shown.listMarked);
        EXPECT_FALSE(shown.buttonMarked);
        EXPECT_TRUE(shown.listTip.isEmpty());
        EXPECT_FALSE(shown.buttonTip.contains(u'\n'));
        EXPECT_TRUE(view->numberButtons[size_t(number - 1)]->icon().isNull());
    }
    EXPECT_EQ(window.tbNum[0]->toolTip(), hint1);

    // Sorting the last picture leaves no picture on screen, and no marks.
    tmp.write("one/p2.bmp", "older p2");
    window.LoadDirList();
    EXPECT_TRUE(shownFor(window, 1).listMarked);
    QChar two(u'2');
    window.FormKeyPress(two);
    EXPECT_TRUE(QFile::exists(tmp.file("two/p2.bmp")));
    EXPECT_FALSE(shownFor(window, 1).listMarked);
    EXPECT_FALSE(shownFor(window, 1).buttonMarked);
}
