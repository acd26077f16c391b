// Builds the main window's controls as the form's design lays them out: client
// area 687 × 390, every control at its fixed place.

#include "app/Hints.h"
#include "app/Main.h"
#include "app/ToolbarArt.h"
#include "dialogs/FormFont.h"
#include "graphics/PicturePreview.h"

#include <QAction>
#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

namespace {

constexpr int ClientWidth = 687;
constexpr int ClientHeight = 390;

void setHint(QAction* action, const QString& hint) {
    action->setToolTip(shortHint(hint));
    action->setStatusTip(longHint(hint));
}

} // namespace

void TfrmMain::buildToolBar(QWidget* client) {
    const QList<QIcon> images = toolbarImageList();
    ToolBar = new QToolBar(client);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setGeometry(0, 0, ClientWidth, 28);
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setIconSize(QSize(ToolbarImageSize, ToolbarImageSize));
    ToolBar->setContentsMargins(3, 0, 0, 0);

    tbDirOpen = ToolBar->addAction(images[0], QString());
    tbDirOpen->setObjectName(QStringLiteral("tbDirOpen"));
    setHint(tbDirOpen, QStringLiteral("ディレクトリを開く|画像を読み込むディレクトリを指定し、"
                                      "最初のファイルを開きます"));
    connect(tbDirOpen, &QAction::triggered, this, [this] { mnuFileDirOpenClick(); });

    ToolBar->addSeparator()->setObjectName(QStringLiteral("tbSep1"));

    for (int n = 1; n <= 9; ++n) {
        QAction* button = ToolBar->addAction(images[n], QString());
        button->setObjectName(QStringLiteral("tb%1").arg(n));
        button->setData(n - 1); // the tag
        setHint(button, QStringLiteral("No.%1の設定実行|No.%1の設定に従ってファイルのコピーまたは"
                                       "移動をします")
                            .arg(n));
        connect(button, &QAction::triggered, this,
                [this, button] { tbNumClick(button->data().toInt()); });
        tbNum[static_cast<size_t>(n - 1)] = button;
    }
}

void TfrmMain::buildPanes(QWidget* client) {
    fraPreview = new QFrame(client);
    fraPreview->setObjectName(QStringLiteral("fraPreview"));
    fraPreview->setFrameStyle(QFrame::Box | QFrame::Plain);
    fraPreview->setLineWidth(1);
    fraPreview->setGeometry(8, 32, 273, 337);
    imgPreview = new PicturePreview(fraPreview);
    connect(imgPreview, &PicturePreview::doubleClicked, this, [this] { ShowLargeView(); });
    imgPreview->setObjectName(QStringLiteral("imgPreview"));
    imgPreview->setGeometry(2, 2, 269, 333);

    fraDirList = new QGroupBox(QStringLiteral("保存先リスト"), client);
    fraDirList->setObjectName(QStringLiteral("fraDirList"));
    fraDirList->setGeometry(288, 25, 394, 176);
    lvDirList = new QTreeWidget(fraDirList);
    lvDirList->setObjectName(QStringLiteral("lvDirList"));
    lvDirList->setGeometry(8, 16, 377, 153);
    lvDirList->setRootIsDecorated(false);
    lvDirList->setItemsExpandable(false);
    lvDirList->setUniformRowHeights(true);
    lvDirList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvDirList->setSelectionMode(QAbstractItemView::SingleSelection);
    lvDirList->setHeaderLabels(
        {QStringLiteral("No."), QStringLiteral("項目"), QStringLiteral("ディレクトリ")});
    lvDirList->header()->setSectionsMovable(false);
    lvDirList->setColumnWidth(0, 30);
    lvDirList->setColumnWidth(1, 120);
    lvDirList->setColumnWidth(2, 220);
    // The columns keep their designed widths whatever the pane's width.
    lvDirList->header()->setStretchLastSection(false);
    for (int n = 1; n <= 9; ++n)
        new QTreeWidgetItem(lvDirList, {QString::number(n), QString(), QString()});

    ogrpMethod = new QGroupBox(QStringLiteral("整理方法"), client);
    ogrpMethod->setObjectName(QStringLiteral("ogrpMethod"));
    ogrpMethod->setGeometry(288, 208, 393, 57);
    const QStringList methods = {QStringLiteral("ファイルをコピーする(&C)"),
                                 QStringLiteral("ファイルを移動する(&M)")};
    for (int i = 0; i < 2; ++i) {
        auto* item = new QRadioButton(methods[i], ogrpMethod);
        item->setObjectName(QStringLiteral("ogrpMethodItem%1").arg(i));
        item->setGeometry(8, 16 + i * 18, 377, 17);
        item->setAutoExclusive(true);
        methodItems[static_cast<size_t>(i)] = item;
    }
    methodItems[0]->setChecked(true);

    lblMessage = new QLabel(QStringLiteral("メッセージ(&P)"), client);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->move(296, 272);
    Message = new QPlainTextEdit(client);
    Message->setObjectName(QStringLiteral("Message"));
    Message->setGeometry(288, 288, 393, 73);
    Message->setReadOnly(true);
    Message->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Message->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette palette = Message->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    Message->setPalette(palette);
    lblMessage->setBuddy(Message);

    // Tab order as designed: toolbar, preview, method, destination list, log.
    setTabOrder(fraPreview, ogrpMethod);
    setTabOrder(ogrpMethod, lvDirList);
    setTabOrder(lvDirList, Message);
}

void TfrmMain::buildStatusBar(QWidget* client) {
    StatusBar = new QStatusBar(client);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setGeometry(0, ClientHeight - 21, ClientWidth, 21);
    const std::array<int, 2> widths = {400, 200};
    for (size_t i = 0; i < widths.size(); ++i) {
        auto* panel = new QLabel(StatusBar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        panel->setFixedWidth(widths[i]);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        StatusBar->addWidget(panel);
        statusPanels[i] = panel;
    }
}

void TfrmMain::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));

    QMenu* mnuFile = bar->addMenu(QStringLiteral("ファイル(&F)"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileDirOpen = mnuFile->addAction(QStringLiteral("ディレクトリを開く(&O)..."));
    mnuFileDirOpen->setObjectName(QStringLiteral("mnuFileDirOpen"));
    mnuFileDirOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    setHint(mnuFileDirOpen, QStringLiteral("|画像を読み込むディレクトリを指定し、最初のファイルを"
                                           "開きます"));
    connect(mnuFileDirOpen, &QAction::triggered, this, [this] { mnuFileDirOpenClick(); });
    mnuFileUndo = mnuFile->addAction(QStringLiteral("元に戻す(&U)"));
    mnuFileUndo->setObjectName(QStringLiteral("mnuFileUndo"));
    mnuFileUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    setHint(mnuFileUndo, QStringLiteral("|最後に行ったコピーまたは移動を元に戻します"));
    connect(mnuFileUndo, &QAction::triggered, this, [this] { mnuFileUndoClick(); });
    mnuFile->addSeparator()->setObjectName(QStringLiteral("mnuFileSep1"));
    mnuExit = mnuFile->addAction(QStringLiteral("終了(&X)"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    setHint(mnuExit, QStringLiteral("|アプリケーションを終了します"));
    connect(mnuExit, &QAction::triggered, this, [this] { mnuExitClick(); });

    QMenu* mnuTool = bar->addMenu(QStringLiteral("ツール(&T)"));
    mnuTool->setObjectName(QStringLiteral("mnuTool"));
    // Enter opens it through the key handling; the menu only shows the key.
    mnuToolLargeView = mnuTool->addAction(QStringLiteral("大きく表示(&L)\tEnter"));
    mnuToolLargeView->setObjectName(QStringLiteral("mnuToolLargeView"));
    setHint(mnuToolLargeView, QStringLiteral("|画像を大きく表示します"));
    connect(mnuToolLargeView, &QAction::triggered, this, [this] { ShowLargeView(); });
    mnuToolOption = mnuTool->addAction(QStringLiteral("オプション(&O)..."));
    mnuToolOption->setObjectName(QStringLiteral("mnuToolOption"));
    setHint(mnuToolOption, QStringLiteral("|各種設定をします"));
    connect(mnuToolOption, &QAction::triggered, this, [this] { ShowOption(); });

    QMenu* mnuHelp = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpContents = mnuHelp->addAction(QStringLiteral("トピックの検索...(&C)"));
    mnuHelpContents->setObjectName(QStringLiteral("mnuHelpContents"));
    mnuHelpContents->setShortcut(QKeySequence(Qt::Key_F1));
    setHint(mnuHelpContents, QStringLiteral("|ヘルプを開きます"));
    connect(mnuHelpContents, &QAction::triggered, this, [this] { mnuHelpContentsClick(); });
    mnuHelp->addSeparator()->setObjectName(QStringLiteral("mnuHelpSep1"));
    mnuHelpAbout = mnuHelp->addAction(QStringLiteral("バージョン情報(&A)..."));
    mnuHelpAbout->setObjectName(QStringLiteral("mnuHelpAbout"));
    setHint(mnuHelpAbout, QStringLiteral("|著作権などを表示します"));
    connect(mnuHelpAbout, &QAction::triggered, this, [this] { mnuHelpAboutClick(); });

    // Short-cuts work wherever the focus is inside the window.
    addActions({mnuFileDirOpen, mnuFileUndo, mnuHelpContents});
}
