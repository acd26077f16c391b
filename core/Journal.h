#pragma once

// The undo journal: every completed copy or move, appended and flushed to disk
// (fdatasync) before its log line appears, so undo reaches back through earlier
// runs and survives a crash or kill at any point. A record torn by a kill is
// ignored and cut off before the next one is written. The journal keeps the
// last `keptActions`; older ones go when it is rewritten (a new file renamed
// over the old, so a kill then leaves one or the other whole). Several running
// copies of the program share it: each write happens under a lock and first
// takes in what the others wrote.

#include "core/JournalRecord.h"

#include <QString>
#include <vector>

class Journal {
public:
    static constexpr int KeptActions = 10000;

    // "$XDG_STATE_HOME/Varno/Sorteka/journal", the state folder defaulting
    // to "~/.local/state".
    [[nodiscard]] static QString defaultPath();

    // Reads the journal at `path`; a missing file is an empty journal. A file
    // that is not a journal is kept aside under "<path>.unreadable-<time>".
    explicit Journal(QString path, int keptActions = KeptActions);

    // Records a completed sort; sets its id. False when it could not be made
    // durable (errorText() says why).
    bool append(JournalEntry& entry);
    // Records that the action `id` was undone.
    bool markUndone(quint64 id);
    // Takes in what other running copies wrote since.
    bool refresh();

    // The kept actions, oldest first.
    [[nodiscard]] const std::vector<JournalEntry>& entries() const { return entries_; }
    [[nodiscard]] QString errorText() const { return error_; }
    [[nodiscard]] const QString& path() const { return path_; }

private:
    class LockedFile;
    // Opens and locks the file, taking in what is new; `write` creates it.
    bool sync(LockedFile& file, bool write);
    void takeIn(const QByteArray& bytes, qsizetype from);
    bool writeLocked(LockedFile& file, const QByteArray& record);
    bool rewrite();
    bool fail(const QString& what, int err);

    QString path_;
    int kept_;
    std::vector<JournalEntry> entries_;
    quint64 loadedInode_ = 0; // the file entries_ were read from
    qint64 validSize_ = 0;    // its bytes up to the end of the last whole record
    QString error_;
};
