#include "components/folderview/FullExpansion.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTreeWidget>
#include <algorithm>

namespace folderview {

namespace {
// Long enough to get work done, short enough that painting and keys stay smooth.
constexpr int StepMilliseconds = 15;
} // namespace

FullExpansion::FullExpansion(QTreeWidget& view,
                             std::function<QString(const QTreeWidgetItem*)> pathOf)
    : QObject(&view), view_(view), pathOf_(std::move(pathOf)) {
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &FullExpansion::step);
}

void FullExpansion::start(QTreeWidgetItem* top) {
    cancel();
    if (top == nullptr)
        return;
    // The folders above the start are on the way down too.
    auto above = std::make_shared<std::vector<FolderId>>();
    for (const QTreeWidgetItem* item = top->parent(); item != nullptr; item = item->parent()) {
        if (const std::optional<FolderId> id = folderIdOf(pathOf_(item)))
            above->push_back(*id);
    }
    pending_.push_back({top, std::move(above)});
    timer_.start();
}

void FullExpansion::cancel() {
    const bool wasRunning = running();
    pending_.clear();
    timer_.stop();
    if (wasRunning)
        emit finished();
}

void FullExpansion::finish() {
    while (running())
        step();
}

void FullExpansion::step() {
    QElapsedTimer clock;
    clock.start();
    while (!pending_.empty() && clock.elapsed() < StepMilliseconds) {
        const Pending next = pending_.front();
        pending_.pop_front();
        openOne(next);
    }
    if (pending_.empty()) {
        timer_.stop();
        emit finished();
    }
}

void FullExpansion::openOne(const Pending& next) {
    const std::optional<FolderId> id = folderIdOf(pathOf_(next.item));
    if (!id)
        return;
    const std::vector<FolderId>& way = *next.onTheWay;
    if (std::find(way.begin(), way.end(), *id) != way.end())
        return; // a link back up: opening it would repeat forever
    auto below = std::make_shared<std::vector<FolderId>>(way);
    below->push_back(*id);
    next.item->setExpanded(true);
    // Breadth first, so the levels nearest the start fill in first.
    for (int i = 0; i < next.item->childCount(); ++i)
        pending_.push_back({next.item->child(i), below});
}

bool FullExpansion::handleKey(QKeyEvent* event, QTreeWidgetItem* current) {
    if (event->key() == Qt::Key_Asterisk) {
        start(current);
    } else if (event->key() == Qt::Key_Escape && running()) {
        cancel();
    } else {
        return false;
    }
    event->accept();
    return true;
}

} // namespace folderview
