#pragma once

// Lazy enumeration of one directory, in the file system's own order, fetching
// one entry at a time (readdir). Entries are filtered by an attribute rule.

#include <QString>
#include <memory>
#include <optional>

namespace platform {

struct DirectoryEntry {
    QString name; // no directory part
    bool isDirectory = false;
    bool isHidden = false; // the name begins with "."
    bool isSystem = false; // not a regular file and not a directory (device, FIFO, socket…)
};

// Which kinds of entry an enumeration lets through. "." and ".." never pass.
// A symbolic link counts as what it points to; a dangling link is a system entry.
struct AttributeRule {
    bool directories = false;
    bool hidden = false;
    bool system = false;

    [[nodiscard]] bool admits(const DirectoryEntry& entry) const;
    // Plain files only: what picture browsing enumerates.
    static AttributeRule filesOnly() { return {}; }
};

class DirectoryEnumeration {
public:
    // Starts enumerating `directory`. Returns null when it cannot be opened
    // (missing, not a directory, no permission).
    static std::unique_ptr<DirectoryEnumeration> open(const QString& directory, AttributeRule rule);
    ~DirectoryEnumeration();
    DirectoryEnumeration(const DirectoryEnumeration&) = delete;
    DirectoryEnumeration& operator=(const DirectoryEnumeration&) = delete;

    // The next entry the rule admits, or nothing at the end (then and after
    // close() it stays at the end).
    std::optional<DirectoryEntry> next();
    // Releases the directory handle; safe to call more than once.
    void close();

private:
    DirectoryEnumeration(void* handle, QString directory, AttributeRule rule);
    void* handle_;
    QString directory_;
    AttributeRule rule_;
};

} // namespace platform
