#include "app/Main.h"
#include "support/ScriptedPrompter.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// Records the key presses a control receives.
class KeyRecorder : public QObject {
public:
    QString typed;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            typed += static_cast<QKeyEvent*>(event)->text();
        return false;
    }
};

// Records each previewed key with what the focused control had received by then.
class PreviewingWindow : public TfrmMain {
public:
    using TfrmMain::TfrmMain;
    QString previewed;
    QStringList controlHadSeen;
    const KeyRecorder* control = nullptr;

    void FormKeyPress(QChar& key) override {
        previewed += key;
        controlHadSeen.append(control ? control->typed : QString());
        TfrmMain::FormKeyPress(key);
    }
};

} // namespace

TEST(MainWindow, IsBuiltAsDesigned) {
    ScriptedPrompter prompter;
    TfrmMain window(prompter);
    EXPECT_EQ(window.windowTitle(), "Sorteka for Windows");
    EXPECT_EQ(window.centralWidget()->size(), QSize(687, 390));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(window.font().pixelSize(), 12);

    EXPECT_EQ(window.fraPreview->geometry(), QRect(8, 32, 273, 337));
    EXPECT_EQ(window.fraDirList->geometry(), QRect(288, 25, 394, 176));
    EXPECT_EQ(window.lvDirList->geometry(), QRect(8, 16, 377, 153));
    EXPECT_EQ(window.ogrpMethod->geometry(), QRect(288, 208, 393, 57));
    EXPECT_EQ(window.Message->geometry(), QRect(288, 288, 393, 73));
    EXPECT_EQ(window.StatusBar->height(), 21);
    EXPECT_EQ(window.statusPanels[0]->width(), 400);
    EXPECT_EQ(window.statusPanels[1]->width(), 200);
    EXPECT_TRUE(window.Message->isReadOnly());

    ASSERT_EQ(window.lvDirList->topLevelItemCount(), 9);
    EXPECT_EQ(window.lvDirList->headerItem()->text(0), "No.");
    EXPECT_EQ(window.lvDirList->headerItem()->text(1), "項目");
    EXPECT_EQ(window.lvDirList->headerItem()->text(2), "ディレクトリ");
    EXPECT_EQ(window.lvDirList->columnWidth(0), 30);
    EXPECT_EQ(window.lvDirList->columnWidth(1), 120);
    EXPECT_EQ(window.lvDirList->columnWidth(2), 220);

    for (int n = 1; n <= 9; ++n) {
        const QAction* button = window.tbNum[static_cast<size_t>(n - 1)];
        EXPECT_EQ(button->objectName(), QString("tb%1").arg(n));
        EXPECT_EQ(button->data().toInt(), n - 1);
        EXPECT_EQ(button->toolTip(), QString("No.%1の設定実行").arg(n));
        EXPECT_EQ(button->statusTip(),
                  QString("No.%1の設定に従ってファイルのコピーまたは移動をします").arg(n));
    }
    EXPECT_EQ(window.tbDirOpen->toolTip(), "ディレクトリを開く");
    EXPECT_EQ(window.mnuFileDirOpen->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(window.mnuHelpContents->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(window.mnuExit->text(), "終了(&X)");
    EXPECT_EQ(window.mnuExit->statusTip(), "アプリケーションを終了します");
    EXPECT_TRUE(prompter.warnings.isEmpty());
}

TEST(MainWindow, TheLogShowsTheNewestLines) {
    ScriptedPrompter prompter;
    TfrmMain window(prompter);
    for (int i = 1; i <= 25; ++i)
        window.AddMessage(QString("line %1").arg(i));
    const QStringList shown = window.Message->toPlainText().split('\n');
    ASSERT_EQ(shown.size(), 21);
    EXPECT_EQ(shown.front(), "line 5");
    EXPECT_EQ(shown.back(), "line 25");
}

TEST(MainWindow, StatusTipsGoToTheFirstPanel) {
    ScriptedPrompter prompter;
    TfrmMain window(prompter);
    QStatusTipEvent tip(window.mnuToolOption->statusTip());
    QApplication::sendEvent(&window, &tip);
    EXPECT_EQ(window.statusPanels[0]->text(), "各種設定をします");
    QStatusTipEvent leave{QString()};
    QApplication::sendEvent(&window, &leave);
    EXPECT_EQ(window.statusPanels[0]->text(), "");
    window.DisplayHint("short|long part");
    EXPECT_EQ(window.statusPanels[0]->text(), "long part");
}

TEST(MainWindow, EveryTypedCharacterIsPreviewedOnceBeforeTheControlAndStillReachesIt) {
    ScriptedPrompter prompter;
    PreviewingWindow window(prompter);
    KeyRecorder recorder;
    window.control = &recorder;
    window.show();
    QApplication::setActiveWindow(&window);

    // The read-only log ignores typing, so each key also travels up to the
    // window: it must still be previewed only once.
    window.Message->installEventFilter(&recorder);
    window.Message->setFocus();
    QTest::keyClicks(window.Message, "a1 ");
    EXPECT_EQ(window.previewed, "a1 ");
    EXPECT_EQ(recorder.typed, "a1 ");
    EXPECT_EQ(window.controlHadSeen, (QStringList{"", "a", "a1"}));

    // A control that takes typing gets every character too.
    QLineEdit edit(window.centralWidget());
    edit.show();
    edit.setFocus();
    QTest::keyClicks(&edit, "x9");
    EXPECT_EQ(edit.text(), "x9");
    EXPECT_EQ(window.previewed, "a1 x9");
}

TEST(MainWindow, HelpOpensTheManualWhereverTheFocusIs) {
    ScriptedPrompter prompter;
    TfrmMain window(prompter);
    window.HelpFile = "/usr/share/doc/sorteka/manual/index.html";
    QStringList opened;
    window.helpOpener = [&](const QString& file) { opened.append(file); };
    window.show();
    QApplication::setActiveWindow(&window);
    for (QWidget* focus :
         {static_cast<QWidget*>(window.lvDirList), static_cast<QWidget*>(window.Message)}) {
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_F1);
    }
    EXPECT_EQ(opened, QStringList(2, window.HelpFile));
}
