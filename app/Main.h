#pragma once

// The main window: preview, destination list, sorting method, message log,
// toolbar, menu and status bar, and the state browsing and sorting work on.

#include "core/Journal.h"
#include "core/MessageLog.h"
#include "core/PictureBrowser.h"
#include "core/SortAction.h"
#include "core/Undo.h"
#include "decoder/DecoderPool.h"
#include "settings/SettingsSchema.h"

#include <QImage>
#include <QMainWindow>
#include <QSet>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class ClashMarks;
class KeyPreview;
class TfrmLargeView;
class PicturePreview;
class Prompter;
class QEventLoop;
class QAction;
class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QRadioButton;
class QStatusBar;
class QToolBar;
class QTimer;
class QTreeWidget;
class TfrmAboutBox;
class TfrmOption;

class TfrmMain : public QMainWindow, private BrowsingView {
    Q_OBJECT
public:
    // Reads the destinations, the method and "CurrentDir" from the settings;
    // an error of the settings store escapes (start-up then ends).
    explicit TfrmMain(Prompter& prompter, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The forms created after this window; shown by the menu.
    void attachForms(TfrmOption* option, TfrmAboutBox* about);

    // Browsing state: CurrentDir, CurrentFile, PictureShown and the search.
    [[nodiscard]] PictureBrowser& browser() { return browser_; }
    // The folders named on the command line, opened when the window is first shown.
    QStringList commandLine;

    // The manual F1 opens, and how it is opened (the desktop's viewer).
    QString HelpFile;
    std::function<void(const QString&)> helpOpener;

    // Reads the nine destinations from the settings into the list; the keys
    // sort to what was read, whatever the list's cells show.
    void LoadDirList();
    [[nodiscard]] const TDestinations& destinations() const { return destinations_; }
    // Loads the plug-ins again from the plug-in settings, in the decoder
    // processes (no plug-in code runs in this one), and logs what the Part of
    // the plug-in setup logs once they are in.
    void LoadPlugins();
    // The plug-ins the decoders loaded.
    [[nodiscard]] int pluginCount() const;
    void AddMessage(const QString& text);
    void DisplayHint(const QString& hint);
    // Index of the selected sorting method: -1 (none), 0 copy, 1 move. Setting
    // clamps to that range.
    [[nodiscard]] int methodIndex() const;
    void setMethodIndex(int index);

    void OpenDirectory(const QString& path);
    void NextPicture();
    bool ShowPicture(const QString& path);

    void FormShow();
    void FormClose();
    // Sees every character typed into the window before the focused control.
    virtual void FormKeyPress(QChar& key);
    void tbNumClick(int tag);
    void mnuFileDirOpenClick();
    // Undoes the last sort not yet undone, of this run or an earlier one.
    void mnuFileUndoClick();
    void mnuExitClick();
    void mnuHelpContentsClick();
    void mnuHelpAboutClick();
    void ShowOption();
    // Opens the large view of the current picture (Enter, double click, menu).
    void ShowLargeView();
    [[nodiscard]] TfrmLargeView* largeView() const { return largeView_; }

    // Controls, named as in the form's design.
    QToolBar* ToolBar = nullptr;
    QAction* tbDirOpen = nullptr;
    std::array<QAction*, 9> tbNum{}; // tb1 … tb9
    QFrame* fraPreview = nullptr;
    PicturePreview* imgPreview = nullptr;
    QGroupBox* fraDirList = nullptr;
    QTreeWidget* lvDirList = nullptr;
    QGroupBox* ogrpMethod = nullptr;
    std::array<QRadioButton*, 2> methodItems{};
    QLabel* lblMessage = nullptr;
    QPlainTextEdit* Message = nullptr;
    QStatusBar* StatusBar = nullptr;
    std::array<QLabel*, 2> statusPanels{};
    QAction* mnuFileDirOpen = nullptr;
    QAction* mnuFileUndo = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuToolOption = nullptr;
    QAction* mnuToolLargeView = nullptr;
    QAction* mnuHelpContents = nullptr;
    QAction* mnuHelpAbout = nullptr;

    // Decodes every picture in separate processes, the next ones ahead.
    [[nodiscard]] decoder::DecoderPool& decoders() { return *decoders_; }

    [[nodiscard]] const MessageLog& messageLog() const { return log_; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolBar(QWidget* client);
    void buildPanes(QWidget* client);
    void buildStatusBar(QWidget* client);
    void buildMenu();
    void loadStoredState();
    // Shows `image` in the pane now (a later one waiting for the pane is dropped).
    void showInPane(QImage image);
    // LoadPlugins() in two halves: the decoders start loading, then the window
    // waits for what they loaded.
    void startLoadingPlugins();
    void awaitPlugins();
    void sortTo(int number);
    [[nodiscard]] int readOverwritePolicy() const;
    void takeCatalogue(const decoder::Catalogue& catalogue);
    // The picture loadPicture() waits for, when the decoders hand it over.
    void takePicture(const decoder::PictureResult& result);
    // Hands the decoders the next files in the folder that they can show.
    void decodeAhead();

    // BrowsingView
    bool loadPicture(const QString& path) override;
    void setCaption(const QString& caption) override;
    void setPicturePanel(const QString& text) override;
    void clearLog() override;
    void warning(const QString& text) override;

    Prompter& prompter_;
    TDestinations destinations_;
    MessageLog log_;
    std::unique_ptr<decoder::DecoderPool> decoders_;
    QSet<QString> decodable_; // extensions, lower case: the built-in ones and the plug-ins'
    int pluginCount_ = 0;
    TfrmLargeView* largeView_ = nullptr;
    // Which destinations hold a file of the picture's name, shown before a key.
    ClashMarks* clashMarks_ = nullptr;
    // The decoders' picture area: the large view's while it is open.
    void updateViewSize();
    QStringList pluginNotices_; // plug-ins left out, kept at the top of the log
    // While the large view is open the pane follows it a little later.
    static constexpr int PaneAfterLargeViewMs = 0;
    QTimer* paneUpdate_ = nullptr;
    QImage paneImage_;
    bool loading_ = false; // waiting for the decoders to hand over the next picture
    QString awaitedPath_;
    std::optional<decoder::PictureResult> awaited_;
    QEventLoop* waiting_ = nullptr;
    PictureBrowser browser_;
    SortAction sortAction_;
    Journal journal_{Journal::defaultPath()};
    Undo undo_{journal_};
    bool undoing_ = false;
    KeyPreview* keyPreview_ = nullptr;
    TfrmOption* frmOption_ = nullptr;
    TfrmAboutBox* frmAboutBox_ = nullptr;
    bool shown_ = false;
};
