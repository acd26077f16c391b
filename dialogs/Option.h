#pragma once

// The options dialog: edits the overwrite policy, the plug-in settings, the Esc
// switch and the nine destinations. Created once at start-up and reused.

#include <QDialog>

class QPushButton;

class TfrmOption : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOption(QWidget* parent = nullptr);

    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};
