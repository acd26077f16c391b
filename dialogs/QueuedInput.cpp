#include "dialogs/QueuedInput.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

class InputDropper final : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Claiming the key keeps it from firing a shortcut; the press that
            // follows is dropped below.
            event->accept();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            return false;
        }
    }
};

} // namespace

void discardQueuedInput() {
    InputDropper dropper;
    QCoreApplication::instance()->installEventFilter(&dropper);
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(&dropper);
}

FreshBoxKeyGuard::FreshBoxKeyGuard(QWidget& box, std::chrono::milliseconds settleTime)
    : box_(box), settleTime_(settleTime) {
    QCoreApplication::instance()->installEventFilter(this);
}

FreshBoxKeyGuard::~FreshBoxKeyGuard() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool FreshBoxKeyGuard::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == &box_ && type == QEvent::Show) {
        shown_.start();
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    const bool forBox = watched->isWidgetType() ? static_cast<QWidget*>(watched)->window() == &box_
                                                : watched == box_.windowHandle();
    if (!forBox || (shown_.isValid() && shown_.elapsed() >= settleTime_.count()))
        return false;
    if (type == QEvent::ShortcutOverride)
        event->accept(); // no mnemonic fires either
    return true;
}
