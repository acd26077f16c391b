#pragma once

// The options dialog: edits the overwrite policy, the plug-in settings, the Esc
// switch and the nine destinations. Created once at start-up and reused.
//
// Every showing reloads all controls from the settings store; only OK writes
// them back, as typed and in a fixed order, so Cancel, Esc and the window frame
// discard every change. exec() answers 1 after OK and 2 otherwise. A store
// failure is shown in the error box: while loading, the dialog opens with what
// was read before it; while saving, what was written before it stays and the
// dialog still closes as accepted.

#include "settings/SettingsSchema.h"

#include <QDialog>
#include <optional>

class Prompter;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RadioGroup;
class StringGrid;

class TfrmOption : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOption(Prompter& prompter, QWidget* parent = nullptr);

    // The grid's layout: headers in row 0, destination N in row N.
    static constexpr int GridRows = 10;
    static constexpr int GridColumns = 3;
    static constexpr int NumberColumn = 0;
    static constexpr int DescriptionColumn = 1;
    static constexpr int DirectoryColumn = 2;
    static constexpr int GridRowHeight = 14;

    void FormShow();
    void chkUseSusieDirClick();
    void cmdSusieDirBrowseClick();
    void cmdDirBrowseClick();
    void cmdOKClick();
    void cmdCancelClick();

    // Esc and the window frame cancel like the Cancel button.
    void reject() override;

    // The destinations as the grid holds them now.
    [[nodiscard]] TDestinations destinationsInGrid() const;

    // Controls, named as in the form's design.
    RadioGroup* ogrpOverwrite = nullptr;
    QGroupBox* fraSusie = nullptr;
    QCheckBox* chkUseSusieDir = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtSusieDir = nullptr;
    QPushButton* cmdSusieDirBrowse = nullptr;
    QGroupBox* fraOthers = nullptr;
    QCheckBox* chkCanQuitESC = nullptr;
    QLabel* lblDirectory = nullptr;
    StringGrid* grdDirectory = nullptr;
    QPushButton* cmdDirBrowse = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void buildGrid();
    // What a first run shows; a showing starts from it so that nothing a
    // cancelled showing left behind survives a failed load.
    void showDefaults();
    void loadSettings();
    void saveSettings();
    // Runs the directory chooser from `start`; the chosen directory, or
    // nothing when it was cancelled.
    [[nodiscard]] std::optional<QString> chooseDirectory(const QString& start, bool showMkDir);

    Prompter& prompter_;
};
