#pragma once

// The main window: preview, destination list, sorting method, message log,
// toolbar, menu and status bar, and the state browsing and sorting work on.

#include "app/MessageLog.h"
#include "platform/DirectoryEnumeration.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class KeyPreview;
class Prompter;
class QAction;
class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QRadioButton;
class QStatusBar;
class QToolBar;
class QTreeWidget;
class TfrmAboutBox;
class TfrmOption;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // Reads the destinations, the method and "CurrentDir" from the settings;
    // an error of the settings store escapes (start-up then ends).
    explicit TfrmMain(Prompter& prompter, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The forms created after this window; shown by the menu.
    void attachForms(TfrmOption* option, TfrmAboutBox* about);

    // State browsing and sorting work on.
    QString CurrentDir;
    QString CurrentFile;
    std::unique_ptr<platform::DirectoryEnumeration> FileSearch;
    bool PictureShown = false;

    // The manual F1 opens, and how it is opened (the desktop's viewer).
    QString HelpFile;
    std::function<void(const QString&)> helpOpener;

    void LoadDirList();
    void AddMessage(const QString& text);
    void DisplayHint(const QString& hint);
    // Index of the selected sorting method: -1 (none), 0 copy, 1 move. Setting
    // clamps to that range.
    [[nodiscard]] int methodIndex() const;
    void setMethodIndex(int index);

    void FormShow();
    void FormClose();
    // Sees every character typed into the window before the focused control.
    virtual void FormKeyPress(QChar& key);
    void tbNumClick(int tag);
    void mnuFileDirOpenClick();
    void mnuExitClick();
    void mnuHelpContentsClick();
    void mnuHelpAboutClick();
    void ShowOption();

    // Controls, named as in the form's design.
    QToolBar* ToolBar = nullptr;
    QAction* tbDirOpen = nullptr;
    std::array<QAction*, 9> tbNum{}; // tb1 … tb9
    QFrame* fraPreview = nullptr;
    QLabel* imgPreview = nullptr;
    QGroupBox* fraDirList = nullptr;
    QTreeWidget* lvDirList = nullptr;
    QGroupBox* ogrpMethod = nullptr;
    std::array<QRadioButton*, 2> methodItems{};
    QLabel* lblMessage = nullptr;
    QPlainTextEdit* Message = nullptr;
    QStatusBar* StatusBar = nullptr;
    std::array<QLabel*, 2> statusPanels{};
    QAction* mnuFileDirOpen = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuToolOption = nullptr;
    QAction* mnuHelpContents = nullptr;
    QAction* mnuHelpAbout = nullptr;

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

    Prompter& prompter_;
    MessageLog log_;
    KeyPreview* keyPreview_ = nullptr;
    TfrmOption* frmOption_ = nullptr;
    TfrmAboutBox* frmAboutBox_ = nullptr;
    bool shown_ = false;
};
