#pragma once

// The about box: the program's icon, name, version and authorship line.
// Created once at start-up and reused.

#include <QDialog>

class QLabel;
class QPushButton;

class TfrmAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAboutBox(QWidget* parent = nullptr);

    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    // Shown in the middle of the screen each time.
    void showEvent(QShowEvent* event) override;
};
