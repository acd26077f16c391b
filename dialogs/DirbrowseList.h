#pragma once

// What the directory chooser's list shows for one current directory: the path
// from the root down to it, then its visible subdirectories in sorted order.
// Pure functions, so the list's contents are checked without a window.

#include <QString>
#include <QStringList>
#include <vector>

// Which folder picture an entry carries.
enum class DirEntryKind {
    OpenFolder,    // a directory on the way from the root to the current one
    CurrentFolder, // the current directory itself
    ClosedFolder,  // a subdirectory of the current directory
};

struct DirListEntry {
    QString caption; // "/" for the root, otherwise the directory's own name
    QString path;    // full path, no trailing "/" except for the root
    int level = 0;   // indentation: the root is 0, each step down adds one
    DirEntryKind kind = DirEntryKind::ClosedFolder;

    friend bool operator==(const DirListEntry&, const DirListEntry&) = default;
};

// The directories from the root down to `dir`, each a full path: "/a/b" gives
// "/", "/a", "/a/b". Doubled or trailing separators are ignored.
[[nodiscard]] QStringList directoryChain(const QString& dir);

// `names` in the order the list shows them: without regard to case, ties broken
// by the exact text, so the order never depends on the locale.
[[nodiscard]] QStringList sortedDirectoryNames(QStringList names);

// The entries for current directory `current` whose subdirectories are
// `childNames` (already sorted): the chain with open folders, the current one
// last of it, then the children one level deeper.
[[nodiscard]] std::vector<DirListEntry> dirListEntries(const QString& current,
                                                       const QStringList& childNames);

// The subdirectories of `dir` the list shows, sorted: hidden ones (names that
// begin with ".") are left out; a symbolic link to a directory counts as one.
// Empty when `dir` cannot be read.
[[nodiscard]] QStringList visibleSubdirectories(const QString& dir);

// Where a new directory named `name` under `current` goes: the name is used as
// typed, appended after a "/" unless `current` already ends in one.
[[nodiscard]] QString newDirectoryPath(const QString& current, const QString& name);
