#pragma once

// Lets a window see every character typed into any of its controls before the
// control does. The character is not consumed unless the handler clears it.

#include <QObject>
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
    QWidget& window_;
    std::function<void(QChar&)> handler_;
};
