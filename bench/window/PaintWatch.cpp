#include "PaintWatch.h"

#include "graphics/PicturePreview.h"

#include <QCoreApplication>
#include <QEvent>

PaintWatch::PaintWatch(PicturePreview& preview, const QElapsedTimer& clock)
    : preview_(preview), clock_(clock) {
    preview.installEventFilter(this);
    connect(&preview, &PicturePreview::pictureChanged, this, [this] { pictureChanged_ = true; });
}

bool PaintWatch::waitForPaint(int timeoutMs) {
    const qint64 deadline = clock_.nsecsElapsed() + qint64(timeoutMs) * 1000000;
    while (paintedAt_ < 0 && clock_.nsecsElapsed() < deadline)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return paintedAt_ >= 0;
}

bool PaintWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Paint || !pictureChanged_ || !preview_.hasPicture())
        return false;
    // The paint itself counts: run it here, then note the time.
    static_cast<QObject*>(watched)->event(event);
    pictureChanged_ = false;
    paintedAt_ = clock_.nsecsElapsed();
    if (onPainted)
        onPainted();
    return true;
}
