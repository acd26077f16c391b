#include "dialogs/About.h"

#include "dialogs/FormFont.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

TfrmAboutBox::TfrmAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedForm(*this, 318, 120);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(8, 8, 305, 73);

    ProductName = new QLabel(QStringLiteral("Sorteka for Windows"), panel);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->move(48, 16);
    Version = new QLabel(panel);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setGeometry(48, 32, 240, 14);
    Copyright = new QLabel(QStringLiteral("Sorteka 開発チーム"), panel);
    Copyright->setObjectName(QStringLiteral("Copyright"));
    Copyright->move(48, 48);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(231, 88, 74, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}
