#include "app/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

KeyPreview::KeyPreview(QWidget& window, std::function<void(QChar&)> handler)
    : QObject(&window), window_(window), handler_(std::move(handler)) {
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
    qApp->removeEventFilter(this);
}

bool KeyPreview::isTravellingUp(const QEvent* event, const QWidget* receiver) const {
    // A press moves on only to the parents of the control it was delivered to.
    return event == previewed_ && previewedAt_ && receiver->isAncestorOf(previewedAt_);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    if (!watched->isWidgetType()) {
        // The window system hands every new key to our top-level window first;
        // keys for other windows (a modal box) leave a press on its way up alone.
        if (watched == window_.windowHandle())
            previewed_ = nullptr;
        return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != &window_)
        return false;
    if (type == QEvent::KeyRelease) {
        previewed_ = nullptr;
        return false;
    }
    if (isTravellingUp(event, widget))
        return false;
    previewed_ = event;
    previewedAt_ = widget;
    const QString text = static_cast<QKeyEvent*>(event)->text();
    if (text.size() != 1)
        return false;
    QChar key = text.front();
    handler_(key);
    return key.isNull();
}
