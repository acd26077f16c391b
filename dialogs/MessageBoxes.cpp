#include "dialogs/MessageBoxes.h"

#include <QPushButton>

std::unique_ptr<QMessageBox> makeWarningBox(const QString& text) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, QStringLiteral("警告"), text,
                                             QMessageBox::Ok);
    box->button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    return box;
}

std::unique_ptr<QMessageBox> makeConfirmationBox(const QString& text) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QStringLiteral("確認"), text,
                                             QMessageBox::Yes | QMessageBox::No);
    box->button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box->button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    box->setDefaultButton(QMessageBox::Yes);
    box->setEscapeButton(QMessageBox::No);
    return box;
}

std::unique_ptr<QMessageBox> makeErrorBox(const QString& caption, const QString& text) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box->button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    return box;
}
