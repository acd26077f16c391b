#include "app/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

KeyPreview::KeyPreview(QWidget& window, std::function<void(QChar&)> handler)
    : QObject(&window), window_(window), handler_(std::move(handler)) {
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
    qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    // A key press travels up from the focused control to its parents when
    // ignored; preview it once, on its first delivery within our window.
    const QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &window_;
    if (widget != target || widget->window() != &window_)
        return false;
    const QString text = static_cast<QKeyEvent*>(event)->text();
    if (text.size() != 1)
        return false;
    QChar key = text.front();
    handler_(key);
    return key.isNull();
}
