#pragma once

// File-system operations behind one small interface. Each answers success or
// failure; a failure carries errno's text for a clear message. None throws.

#include <QString>
#include <chrono>

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
// atomic: the data goes to a temporary file in the target's folder, is fsynced
// with the source's permission bits and modification time, and is renamed over
// `target`, then the folder is fsynced. On any failure `target` is untouched and
// no temporary file is left behind. Set-id bits are not copied.
// Copying a file onto itself (the same path, a hard link or a symbolic link to
// it) fails with EINVAL and changes nothing. A symbolic link at `target` is
// replaced by the copy, not written through. Should only the final fsync of the
// folder fail, `target` already holds the new data but the call still reports
// failure, so that a move never deletes its source on an unconfirmed copy.
FileResult copyFileReplacing(const QString& source, const QString& target);

// A copy that was killed leaves its temporary file behind. After each successful
// copy, such leftovers for the same target name are removed once nothing has
// touched them for this long.
inline constexpr std::chrono::seconds StaleTemporaryAge{600};

// Removes the temporary files of earlier copies to `target` whose status has not
// changed for `olderThan`; returns how many. Never touches anything else.
int removeStaleTemporaries(const QString& target, std::chrono::seconds olderThan);

// Renames `from` to `to`; fails (EEXIST) rather than replacing an existing `to`,
// also when `to` appears between any check and the rename.
// Uses the kernel's no-replace rename; on file systems without it, falls back to
// renameByLinking().
FileResult renameNoReplace(const QString& from, const QString& to);

// link() then unlink(): also never replaces `to`, but needs hard links (files
// only). When the old name cannot be removed, the new one is removed again.
FileResult renameByLinking(const QString& from, const QString& to);

// Deletes a file (not a directory).
FileResult deleteFile(const QString& path);

// fsyncs a directory so renames and deletions in it are on disk.
FileResult syncDirectory(const QString& path);

} // namespace platform
