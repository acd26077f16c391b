#pragma once

// File-system operations behind one small interface. Each answers success or
// failure; a failure carries errno's text for a clear message. None throws.

#include <QByteArray>
#include <QString>
#include <chrono>
#include <optional>

namespace platform {

struct FileResult {
    bool ok = false;
    int error = 0;     // errno of the failing call, 0 on success
    QString errorText; // human-readable reason, empty on success

    explicit operator bool() const { return ok; }
    static FileResult success() { return {true, 0, {}}; }
    static FileResult failure(int err);
};

// True for an existing directory (a symbolic link counts as its target).
[[nodiscard]] bool directoryExists(const QString& path);
// True for an existing entry that is not a directory.
[[nodiscard]] bool fileExists(const QString& path);

// Creates one directory; its parent must exist.
FileResult createDirectory(const QString& path);

// Copies `source` to `target`, replacing `target` when it exists. Durable and
// atomic: the data goes to an unnamed file in the target's folder, is fsynced
// with the source's permission bits and modification time, and is renamed over
// `target`, then the folder is fsynced. On any failure `target` is untouched and
// no temporary file is left behind. Set-id bits are not copied.
// Copying a file onto itself (the same path, a hard link or a symbolic link to
// it) fails with EINVAL and changes nothing. A symbolic link at `target` is
// replaced by the copy, not written through. Should only the final fsync of the
// folder fail, `target` already holds the new data but the call still reports
// failure, so that a move never deletes its source on an unconfirmed copy.
FileResult copyFileReplacing(const QString& source, const QString& target);
// The same, but fails with EEXIST rather than replace a file at `target`, also
// one that appears while the copy runs.
FileResult copyFileNoReplace(const QString& source, const QString& target);

// A copy writes an unnamed file, which a kill leaves nothing of. Where the file
// system has no unnamed files it writes a hidden ".<name>.sorteka-XXXXXX",
// locked while the copy runs. The first copy of a run into a folder removes the
// ones killed copies left there.
inline constexpr std::chrono::seconds AbandonedTemporaryAge{2};

// Removes from `folder` the temporary files of copies that are no longer
// running (unlocked) and unchanged for `olderThan`, and the spare names of
// kept files (below) whose file is still at its own name; returns how many.
// Never touches anything else.
int removeAbandonedTemporaries(const QString& folder, std::chrono::seconds olderThan);

// Renames `from` to `to`; fails (EEXIST) rather than replacing an existing `to`,
// also when `to` appears between any check and the rename.
// Uses the kernel's no-replace rename; on file systems without it, falls back to
// renameByLinking().
FileResult renameNoReplace(const QString& from, const QString& to);

// link() then unlink(): also never replaces `to`, but needs hard links (files
// only). When the old name cannot be removed, the new one is removed again.
FileResult renameByLinking(const QString& from, const QString& to);

// Moves the file `source` to `target` within one file system by renaming it:
// atomic (the file is never under both names or neither), no data written, the
// file itself kept (inode, links, owner, extended attributes). `replace` false
// fails with EEXIST rather than replace a file at `target`. Afterwards both
// folders are fsynced; should that fail, the rename stands and counts as done.
// Fails and changes nothing with EXDEV when the two are on different file
// systems, with EOPNOTSUPP when `source` is not a plain file (a symbolic link,
// a FIFO: a copy does what is meant there), with EINVAL when `target` already
// is the same file, and with the rename's own error otherwise (EACCES, EPERM
// or EROFS when a folder refuses the change).
FileResult moveByRenaming(const QString& source, const QString& target, bool replace);

// True when the calling process may create and remove names in `folder`.
[[nodiscard]] bool folderWritable(const QString& folder);

// Deletes a file (not a directory).
FileResult deleteFile(const QString& path);

// The file at a name that a move is about to replace, kept under a hidden name
// (".<name>.sorteka-kept-XXXXXX") in its folder until the move completed, so
// it can be put back when the source cannot be deleted. Kept as a second hard
// link, so the name itself never goes missing; where the file system has no
// hard links the file steps aside under the hidden name instead. A kept file
// neither restored nor released stays under its hidden name: never lost.
class KeptFile {
public:
    // Keeps the file now at `path`; nothing when it cannot (nothing changed then).
    [[nodiscard]] static std::optional<KeptFile> keep(const QString& path);
    KeptFile(KeptFile&& other) noexcept;
    KeptFile& operator=(KeptFile&& other) noexcept;
    ~KeptFile();
    // Puts the kept file back at its name, replacing what is there now.
    FileResult restore();
    // The move completed: the hidden name goes.
    void release();
    // True when the file left its name for the hidden one (no hard links).
    [[nodiscard]] bool steppedAside() const { return steppedAside_; }

private:
    KeptFile(QByteArray path, QByteArray hidden, bool steppedAside);
    QByteArray path_;
    QByteArray hidden_;
    bool steppedAside_ = false;
    int lock_ = -1;
};

// fsyncs a directory so renames and deletions in it are on disk.
FileResult syncDirectory(const QString& path);

} // namespace platform
