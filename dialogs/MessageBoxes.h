#pragma once

// The program's message boxes, built but not shown, so their look can be checked.

#include <QMessageBox>
#include <memory>

// Caption "警告", warning icon, one button "OK".
[[nodiscard]] std::unique_ptr<QMessageBox> makeWarningBox(const QString& text);
// Caption "確認", question icon, "はい(&Y)" (default) and "いいえ(&N)" (Esc).
[[nodiscard]] std::unique_ptr<QMessageBox> makeConfirmationBox(const QString& text);
// The standard error box for an error that reached the event loop.
[[nodiscard]] std::unique_ptr<QMessageBox> makeErrorBox(const QString& caption,
                                                        const QString& text);
