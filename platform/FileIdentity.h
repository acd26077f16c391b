#pragma once

// What tells one file from another at a name: device, inode, size and
// modification time. A file that still has the identity recorded when it was
// written is the very file, unchanged; anything else at that name is not.

#include <QString>
#include <optional>

namespace platform {

struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0; // nanoseconds since the epoch

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the file at `path` itself (a symbolic link is not followed);
// nothing when there is none.
[[nodiscard]] std::optional<FileIdentity> identityOf(const QString& path);

} // namespace platform
