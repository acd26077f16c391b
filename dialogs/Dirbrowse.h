#pragma once

// The directory chooser: a small modal dialog in which the user picks an
// existing directory with a volume selector and a directory list, and may
// create a subdirectory on the way. The list's directory is the process's
// current directory: every move of the list changes it, and it stays where the
// chooser left it, also after Cancel.
//
// Protocol: set BrowseDir (start) and ShowMkDir, exec(); the result is 1 after
// OK, with BrowseDir the chosen directory (no trailing "/" except for the
// root), and 2 after Cancel, Esc or closing the window, with BrowseDir as given.

#include <QDialog>
#include <QStringList>

class Prompter;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

class TfrmDirBrowse : public QDialog {
    Q_OBJECT
public:
    // Offers the volumes of this machine in the selector.
    explicit TfrmDirBrowse(Prompter& prompter, QWidget* parent = nullptr);
    // Offers `volumes` (mount points, the root first) instead.
    TfrmDirBrowse(Prompter& prompter, QWidget* parent, QStringList volumes);

    // In: the directory the list starts at. Out, after OK: the chosen directory.
    QString BrowseDir;
    // Whether the make-directory button is visible.
    bool ShowMkDir = false;

    // The directory open in the list (no trailing "/" except for the root).
    [[nodiscard]] QString directory() const { return directory_; }
    [[nodiscard]] const QStringList& volumes() const { return volumes_; }

    void FormShow();
    void cmdOKClick();
    void cmdCancelClick();
    void cmdMkDirClick();
    // Opens the list's entry in `row` (a double-click on it).
    void dirListDblClick(int row);
    // Moves the list to volume `index`, as when the user picks it.
    void drvComboChange(int index);

    // Esc and the window frame cancel like the Cancel button.
    void reject() override;

    // Controls, named as in the form's design.
    QLabel* lblDrive = nullptr;
    QComboBox* drvCombo = nullptr;
    QLabel* lblDirectory = nullptr;
    QListWidget* dirList = nullptr;
    QPushButton* cmdMkDir = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // List item roles: the entry's full path, indentation level and DirEntryKind.
    static constexpr int PathRole = Qt::UserRole;
    static constexpr int LevelRole = Qt::UserRole + 1;
    static constexpr int KindRole = Qt::UserRole + 2;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    // chdir to `path` and show it; the errno of the failure, 0 on success.
    int enterDirectory(const QString& path);
    // enterDirectory, with an error box on failure.
    bool changeDirectory(const QString& path);
    void reportCannotEnter(const QString& path, int error);
    void showDirectory(const QString& dir);
    void refreshList();
    void syncVolumeSelector();

    Prompter& prompter_;
    QStringList volumes_;
    QString directory_;
};

// The chooser of the command that is running, if any; the command sets and
// clears it.
extern TfrmDirBrowse* frmDirBrowse;
