#include "dialogs/MessageBoxPrompter.h"

#include "dialogs/MessageBoxes.h"
#include "dialogs/QueuedInput.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

void centreOnScreen(QWidget& box) {
    box.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = box.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        box.move(frame.topLeft());
    }
}

// Shows a box centred and waits for its answer. A key typed before the box
// appeared (a quick Space after a digit) must not answer a question nobody saw.
int runCentred(QDialog& box) {
    centreOnScreen(box);
    discardQueuedInput();
    const FreshBoxKeyGuard typedAhead(box);
    return box.exec();
}

} // namespace

void MessageBoxPrompter::warning(const QString& text) {
    auto box = makeWarningBox(text);
    runCentred(*box);
}

bool MessageBoxPrompter::confirm(const QString& text) {
    auto box = makeConfirmationBox(text);
    runCentred(*box);
    return box->clickedButton() == box->button(QMessageBox::Yes);
}

void MessageBoxPrompter::error(const QString& caption, const QString& text) {
    auto box = makeErrorBox(caption, text);
    runCentred(*box);
}

std::optional<QString> MessageBoxPrompter::inputText(const QString& caption, const QString& prompt,
                                                     const QString& initial, int maxLength) {
    QDialog dialog;
    dialog.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(prompt, &dialog);
    auto* edit = new QLineEdit(initial, &dialog);
    edit->setMaxLength(maxLength);
    label->setBuddy(edit);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    // Cancel in half-width katakana, as the folder-creation box asks for it.
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    // Typing goes into the box's own line, so no key is held back here.
    centreOnScreen(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return edit->text();
}
