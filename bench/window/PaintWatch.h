#pragma once

// Notes when the preview has painted a picture it was given: the moment a key
// press has become something a person sees.

#include <QElapsedTimer>
#include <QObject>
#include <functional>

class PicturePreview;

class PaintWatch : public QObject {
public:
    PaintWatch(PicturePreview& preview, const QElapsedTimer& clock);

    // Forgets the last paint; the next picture's paint is awaited.
    void arm() { paintedAt_ = -1; }
    // Runs the event loop until a new picture was painted; false after `timeoutMs`.
    bool waitForPaint(int timeoutMs = 20000);
    // Clock time, in nanoseconds, when the awaited paint ended.
    [[nodiscard]] qint64 paintedAt() const { return paintedAt_; }
    // Called after each new picture was painted.
    std::function<void()> onPainted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PicturePreview& preview_;
    const QElapsedTimer& clock_;
    bool pictureChanged_ = false;
    qint64 paintedAt_ = -1;
};
