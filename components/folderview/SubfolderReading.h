#pragma once

// Reading the subfolders of one folder straight from the directory entries:
// the entry's own type answers for plain folders, so only links (and file
// systems that do not report types) cost a look at the entry itself. Names
// beginning with "." are hidden and never answered.

#include <QString>
#include <QStringList>
#include <optional>
#include <sys/types.h>

namespace folderview {

// The names of the subfolders of `folderPath` (a link to a folder counts), in
// the file system's order; with `stopAtFirst` no more than the first. An
// unreadable folder has none.
[[nodiscard]] QStringList readSubfolderNames(const QString& folderPath, bool stopAtFirst = false);
[[nodiscard]] inline bool hasSubfolder(const QString& folderPath) {
    return !readSubfolderNames(folderPath, true).isEmpty();
}

// Which folder a path leads to, after links: two paths meet in the same
// folder exactly when their identities are equal.
struct FolderId {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const FolderId&, const FolderId&) = default;
};
[[nodiscard]] std::optional<FolderId> folderIdOf(const QString& folderPath);

// Names sorted alphabetically without regard to case; names that differ only
// in case keep a fixed order so a folder looks the same on every run.
void sortFolderNames(QStringList& names);

} // namespace folderview
