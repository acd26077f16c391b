#pragma once

// Keys and clicks the window system queued before something appeared on screen
// (a question, a warning, the next picture) were meant for what was there
// before. Delivers everything queued so far and drops those: only input given
// while the new thing is on screen acts on it.

#include <QElapsedTimer>
#include <QObject>
#include <chrono>

class QWidget;

void discardQueuedInput();

// Keys typed a moment before a box appeared can still arrive after it is on
// screen. Nobody reads a question and answers it within a fraction of a
// second, so while this guard lives, keys reaching `box` in its first moments
// on screen are dropped; clicks are not.
class FreshBoxKeyGuard final : public QObject {
public:
    explicit FreshBoxKeyGuard(
        QWidget& box, std::chrono::milliseconds settleTime = std::chrono::milliseconds(300));
    ~FreshBoxKeyGuard() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& box_;
    std::chrono::milliseconds settleTime_;
    QElapsedTimer shown_;
};
