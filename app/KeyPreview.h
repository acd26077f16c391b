#pragma once

// Lets a window see every character typed into any of its controls before the
// control does. The character is not consumed unless the handler clears it.
//
// A key press that the focused control ignores travels up through its parents,
// and a handler that opens a modal box can leave the window without a focus
// widget by the time the press moves on. So a press is previewed at its first
// delivery within the window and never again while it travels up, whatever
// the handler did meanwhile.

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

class KeyPreview : public QObject {
    Q_OBJECT
public:
    // `handler` gets the typed character and may set it to QChar() to swallow it.
    KeyPreview(QWidget& window, std::function<void(QChar&)> handler);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    [[nodiscard]] bool isTravellingUp(const QEvent* event, const QWidget* receiver) const;

    QWidget& window_;
    std::function<void(QChar&)> handler_;
    // The press previewed last and the control it was first delivered to. A
    // press object can be reused for the next key, so this is forgotten when a
    // new press reaches the window or a key is released.
    const QEvent* previewed_ = nullptr;
    QPointer<QWidget> previewedAt_;
};
