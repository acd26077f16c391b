#pragma once

// The expand button of folder items that have not been read yet: shown only
// where the folder holds a subfolder. A big folder's first children are
// checked at once, the rest in short steps with the event loop running, so
// opening a folder of many thousands does not wait for a look into each.

#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

class QTreeWidgetItem;

namespace folderview {

class SubfolderMarks : public QObject {
    Q_OBJECT
public:
    // `check` looks into one item's folder and sets its button.
    SubfolderMarks(QObject* parent, std::function<void(QTreeWidgetItem*)> check);

    void add(const QList<QTreeWidgetItem*>& items);
    // Forgets the queued items; must be called before items are deleted.
    void clear();
    // Checks every queued item now.
    void finish();
    [[nodiscard]] bool pending() const { return !queue_.empty(); }

private:
    void step();

    std::function<void(QTreeWidgetItem*)> check_;
    std::deque<QTreeWidgetItem*> queue_;
    QTimer timer_;
};

} // namespace folderview
