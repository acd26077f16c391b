#include "components/folderview/SubfolderMarks.h"

#include <QElapsedTimer>

namespace folderview {

namespace {
// Enough for any window's worth of rows.
constexpr int CheckedAtOnce = 200;
constexpr int StepMilliseconds = 15;
} // namespace

SubfolderMarks::SubfolderMarks(QObject* parent, std::function<void(QTreeWidgetItem*)> check)
    : QObject(parent), check_(std::move(check)) {
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &SubfolderMarks::step);
}

void SubfolderMarks::add(const QList<QTreeWidgetItem*>& items) {
    for (int i = 0; i < items.size(); ++i) {
        if (i < CheckedAtOnce && queue_.empty())
            check_(items[i]);
        else
            queue_.push_back(items[i]);
    }
    if (!queue_.empty())
        timer_.start();
}

void SubfolderMarks::clear() {
    queue_.clear();
    timer_.stop();
}

void SubfolderMarks::finish() {
    while (!queue_.empty()) {
        check_(queue_.front());
        queue_.pop_front();
    }
    timer_.stop();
}

void SubfolderMarks::step() {
    QElapsedTimer clock;
    clock.start();
    while (!queue_.empty() && clock.elapsed() < StepMilliseconds) {
        check_(queue_.front());
        queue_.pop_front();
    }
    if (queue_.empty())
        timer_.stop();
}

} // namespace folderview
