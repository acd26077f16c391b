#include "dialogs/About.h"

#include "dialogs/FormFont.h"
#include "dialogs/IconArt.h"
#include "dialogs/VerInfo.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TfrmAboutBox::TfrmAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedForm(*this, 318, 120);
    setWindowIcon(programIcon());

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setGeometry(8, 8, 305, 73);

    ProgramIcon = new QLabel(panel);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(8, 8, 33, 33);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(programIcon().pixmap(32, 32));

    ProductName = new QLabel(QStringLiteral("Sorteka for Windows"), panel);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->move(48, 16);
    Version = new QLabel(panel);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setGeometry(48, 32, 240, 14);
    {
        const VerInfo info;
        Version->setText(QStringLiteral("Version ") + FormatProductVersion(info));
    }
    Copyright = new QLabel(QStringLiteral("Copyright (C) 2026 Sorteka 開発チーム"), panel);
    Copyright->setObjectName(QStringLiteral("Copyright"));
    Copyright->move(48, 48);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(231, 88, 74, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmAboutBox::showEvent(QShowEvent* event) {
    if (const QScreen* target = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(target->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}
