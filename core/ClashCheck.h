#pragma once

// Which destinations already hold a file of the picture's name, known before a
// key is pressed. Checking a picture costs one stat() per destination on the
// calling thread, nothing more, so the way to the next picture stays quick;
// whether such a file has the picture's very content is found out afterwards
// on a thread of its own (sizes first, then the bytes, a chunk at a time).
// A newer picture, or clear(), cancels the comparisons still running, and
// what they would have found for the older picture is dropped.

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <atomic>
#include <memory>

struct Clash {
    enum class Content {
        Comparing, // not known yet
        Same,      // byte for byte the picture (or the picture itself)
        Different,
        Unreadable // one of the two could not be read to the end
    };

    int number = 0; // destination 1 … 9
    QString path;   // the file at the picture's name there
    qint64 size = 0;
    QDateTime modified;
    Content content = Content::Comparing;
};

// The tooltip text for `clash`: its size and date, and "同じ内容" once the
// content is known to be the picture's.
[[nodiscard]] QString clashDescription(const Clash& clash);

class ClashCheck : public QObject {
    Q_OBJECT
public:
    explicit ClashCheck(QObject* parent = nullptr);
    // Waits for a comparison under way to notice it was cancelled.
    ~ClashCheck() override;

    // Checks `picture` against `folders`, where folder i is destination i + 1
    // and an empty one is no destination. Relative paths resolve against the
    // current directory now. Emits changed() with the clashes found, then
    // again as each comparison ends.
    void check(const QString& picture, const QStringList& folders);
    // The same picture against `folders` again: the files may have changed.
    void recheck(const QStringList& folders);
    // No picture: the clashes go and comparisons under way stop.
    void clear();

    [[nodiscard]] const QString& picture() const { return picture_; }
    [[nodiscard]] const QList<Clash>& clashes() const { return clashes_; }
    // The clash at destination `number`, or nothing.
    [[nodiscard]] const Clash* clashAt(int number) const;
    // True while comparisons of the current picture are still running.
    [[nodiscard]] bool comparing() const;

signals:
    void changed();

private:
    void takeComparison(quint64 generation, int number, Clash::Content content);

    QString picture_;
    QList<Clash> clashes_;
    // Bumped by every check and clear; a comparison of an older generation stops.
    std::shared_ptr<std::atomic<quint64>> generation_;
    QThreadPool pool_;
};
