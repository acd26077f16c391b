// A key acts once, and only on the picture the user saw: real message boxes in
// a real modal loop, answered with real key events, and keys queued in the
// event loop the way a quick typist queues them.

#include "../settings/SettingsTestSupport.h"
#include "app/LargeView.h"
#include "app/Main.h"
#include "dialogs/MessageBoxPrompter.h"
#include "graphics/PicturePreview.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Answers every modal box that appears with real key presses, and counts the
// boxes. A box takes no key in its first moments on screen, so the answer is
// pressed again until the box goes. `ahead`, if given, arrives as the box
// appears, as a key typed a moment before does.
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(Qt::Key answer, Qt::Key ahead = Qt::Key_unknown)
        : answer_(answer), ahead_(ahead) {
        connect(&poll_, &QTimer::timeout, this, [this] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box)
                return;
            if (box != seen_) {
                seen_ = box;
                if (auto* message = qobject_cast<QMessageBox*>(box))
                    texts.append(message->text());
                if (ahead_ != Qt::Key_unknown)
                    QTest::keyClick(box->windowHandle(), ahead_);
                return;
            }
            QTest::keyClick(box->windowHandle(), answer_);
        });
        poll_.start(10);
    }
    QStringList texts;

private:
    Qt::Key answer_;
    Qt::Key ahead_;
    QTimer poll_;
    QPointer<QWidget> seen_;
};

// Types `key` as the window system delivers a key typed ahead: it waits in the
// event loop, then goes to the window with the keyboard focus at that moment,
// which is a modal box once one is on screen.
void typeAhead(Qt::Key key) {
    QMetaObject::invokeMethod(
        qApp,
        [key] {
            QWidget* box = QApplication::activeModalWidget();
            QTest::keyClick(box ? box->windowHandle() : QGuiApplication::focusWindow(), key);
        },
        Qt::QueuedConnection);
}

class KeyIntegrity : public ::testing::Test {
protected:
    TempDir tmp;
    MessageBoxPrompter prompter;

    void SetUp() override { prepare(); }
    void TearDown() override { removeStore(); }

    // Two pictures to sort, and older files of both names in the destination.
    void prepare() {
        QDir(tmp.file("src")).removeRecursively();
        QDir(tmp.file("dest")).removeRecursively();
        QDir(tmp.file("new")).removeRecursively();
        tmp.mkdir("src");
        for (const char* name : {"p3.bmp", "p1.bmp"}) {
            QImage picture(4, 3, QImage::Format_RGB32);
            picture.fill(Qt::green);
            picture.save(tmp.file(QStringLiteral("src/") + name), "BMP");
            tmp.write(QStringLiteral("dest/") + name, "older");
        }
    }

    void configure(const QString& destination, int overwrite, int method) {
        writeStore(QStringLiteral("[Setting]\nOverwrite=%1\nMethod=%2\n[0]\nDirectory=%3\n")
                       .arg(overwrite)
                       .arg(method)
                       .arg(destination)
                       .toUtf8());
    }
    [[nodiscard]] int sourcesLeft() const {
        return int(QDir(tmp.file("src")).entryList(QDir::Files).size());
    }
    [[nodiscard]] int olderFilesLeft() const {
        int n = 0;
        for (const char* name : {"p3.bmp", "p1.bmp"})
            n += readAll(tmp.file(QStringLiteral("dest/") + name)) == "older";
        return n;
    }
    static void activate(QWidget& window) {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

} // namespace

TEST_F(KeyIntegrity, ADigitActsOnceWhateverHasTheFocusAndWhateverBoxWasShown) {
    struct Case {
        const char* what;
        const char* destination;
        int overwrite;
        Qt::Key answer;
        int boxes;
        int moved;
    };
    const Case cases[] = {
        {"overwrite, yes", "dest", 0, Qt::Key_Return, 1, 1},
        {"overwrite, no", "dest", 0, Qt::Key_Escape, 1, 0},
        {"create the folder, yes", "new", 0, Qt::Key_Return, 1, 1},
        {"unknown policy warning", "dest", 7, Qt::Key_Return, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        configure(tmp.file(c.destination), c.overwrite, 0);
        TfrmMain window(prompter);
        activate(window);
        window.OpenDirectory(tmp.file("src"));
        // A click on the move button leaves the focus on it; the key travels
        // up from there to the window once the box has gone.
        QTest::mouseClick(window.methodItems[1], Qt::LeftButton, {}, QPoint(8, 8));
        ASSERT_EQ(window.methodIndex(), 1);
        const int before = sourcesLeft();

        BoxAnswerer answerer(c.answer);
        QTest::keyClick(window.windowHandle(), Qt::Key_1);
        EXPECT_EQ(answerer.texts.size(), c.boxes) << answerer.texts.join(" / ").toStdString();
        EXPECT_EQ(before - sourcesLeft(), c.moved);
        prepare();
    }
}

TEST_F(KeyIntegrity, AKeyTypedBeforeTheQuestionAppearedNeverAnswersIt) {
    for (const Qt::Key typedAhead : {Qt::Key_Space, Qt::Key_Return}) {
        configure(tmp.file("dest"), 0, 1);
        TfrmMain window(prompter);
        activate(window);
        window.OpenDirectory(tmp.file("src"));

        // "1" then Space (or Enter): the second key reaches the event loop
        // before the question exists, or just as it appears. Only the answer
        // given while it is on screen counts.
        BoxAnswerer answerer(Qt::Key_Escape, typedAhead);
        typeAhead(Qt::Key_1);
        typeAhead(typedAhead);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !answerer.texts.isEmpty(); }));
        EXPECT_EQ(answerer.texts, QStringList{SortAction::AskOverwrite});
        EXPECT_EQ(olderFilesLeft(), 2);
        EXPECT_EQ(sourcesLeft(), 2);
        prepare();
    }
}

TEST_F(KeyIntegrity, KeysTypedWhileTheNextPictureLoadedAreDropped) {
    configure(tmp.file("dest"), 1, 1);
    TfrmMain window(prompter);
    activate(window);
    window.OpenDirectory(tmp.file("src"));
    const QString first = window.browser().CurrentFile;

    // Space shows the next picture; the "1" typed during the load was meant for
    // the picture before it, which is gone from the screen by then.
    typeAhead(Qt::Key_Space);
    typeAhead(Qt::Key_1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.browser().CurrentFile != first; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(sourcesLeft(), 2);

    // A key pressed while the picture is on screen acts on it.
    QTest::keyClick(window.windowHandle(), Qt::Key_1);
    EXPECT_EQ(sourcesLeft(), 1);
}

TEST_F(KeyIntegrity, TheLargeViewSortsWithTheSameKeysFollowsAndKeepsItsPlace) {
    QImage third(4, 3, QImage::Format_RGB32);
    third.fill(Qt::blue);
    third.save(tmp.file("src/p9.bmp"), "BMP");
    configure(tmp.mkdir("sorted"), 0, 0);
    TfrmMain window(prompter);
    activate(window);
    window.OpenDirectory(tmp.file("src"));
    ASSERT_EQ(window.browser().CurrentFile, "p1.bmp");

    // Enter in the main window opens it on the picture shown.
    QTest::keyClick(window.windowHandle(), Qt::Key_Return);
    TfrmLargeView* view = window.largeView();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->isVisible());
    EXPECT_EQ(view->windowTitle(), "p1.bmp (4 × 3)");
    view->move(40, 50);
    view->resize(700, 500);

    // Its digit keys and buttons sort as the main window's do, and it follows.
    QTest::keyClick(view, Qt::Key_1);
    EXPECT_TRUE(QFileInfo::exists(tmp.file("sorted/p1.bmp")));
    EXPECT_EQ(view->windowTitle(), "p3.bmp (4 × 3)");
    view->numberButtons[0]->click();
    EXPECT_TRUE(QFileInfo::exists(tmp.file("sorted/p3.bmp")));
    EXPECT_EQ(view->windowTitle(), "p9.bmp (4 × 3)");
    // The pane behind it follows once the view has painted.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const Picture* shown = window.imgPreview->picture();
        return shown && !shown->image().isNull() &&
               shown->image().pixelColor(0, 0) == QColor(Qt::blue);
    }));
    EXPECT_TRUE(view->findChild<QLabel*>()->text().isEmpty() ||
                view->findChild<QLabel*>()->text() == PictureBrowser::EndOfSearchText);

    // Esc closes it and keeps its place for next time; the program goes on.
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(view->isVisible());
    EXPECT_TRUE(window.isVisible());
    TfrmMain again(prompter);
    again.ShowLargeView();
    EXPECT_EQ(again.largeView()->pos(), QPoint(40, 50));
    EXPECT_EQ(again.largeView()->size(), QSize(700, 500));
}
