#pragma once

// Opening every folder below one item ("*"), in steps between which the event
// loop runs, so the window keeps painting and Esc can stop it. A link that
// leads back to a folder already on the way down is not opened again: it
// would repeat without end.

#include "components/folderview/SubfolderReading.h"

#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QKeyEvent;
class QTreeWidget;
class QTreeWidgetItem;

namespace folderview {

class FullExpansion : public QObject {
    Q_OBJECT
public:
    // `pathOf` answers the real path of an item of `view`. Opening an item
    // goes through the view's own expansion (which reads the folder).
    FullExpansion(QTreeWidget& view, std::function<QString(const QTreeWidgetItem*)> pathOf);

    // Opens `top` and everything below it; a running expansion stops first.
    void start(QTreeWidgetItem* top);
    // Stops; what is open stays open. Must be called before items are deleted.
    void cancel();
    [[nodiscard]] bool running() const { return !pending_.empty(); }
    // Runs the remaining steps at once (for callers that need the result now).
    void finish();
    // The view's keys for it: "*" starts at `current`, Esc stops a running
    // expansion. True when the key was taken.
    bool handleKey(QKeyEvent* event, QTreeWidgetItem* current);

signals:
    void finished();

private:
    struct Pending {
        QTreeWidgetItem* item;
        std::shared_ptr<const std::vector<FolderId>> onTheWay;
    };
    void step();
    void openOne(const Pending& next);

    QTreeWidget& view_;
    std::function<QString(const QTreeWidgetItem*)> pathOf_;
    std::deque<Pending> pending_;
    QTimer timer_;
};

} // namespace folderview
