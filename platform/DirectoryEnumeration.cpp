#include "platform/DirectoryEnumeration.h"

#include "platform/NativePath.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

namespace {

DIR* dirOf(void* handle) {
    return static_cast<DIR*>(handle);
}

bool isDotOrDotDot(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Directory and system attributes of one entry. The type readdir reports is
// enough unless it is a link (which counts as what it points to) or unknown
// (some file systems never fill it in); then the entry is stat()ed.
void classify(DIR* dir, const dirent& raw, DirectoryEntry& entry) {
    switch (raw.d_type) {
    case DT_DIR:
        entry.isDirectory = true;
        return;
    case DT_REG:
        return;
    case DT_LNK:
    case DT_UNKNOWN:
        break;
    default: // devices, FIFOs, sockets
        entry.isSystem = true;
        return;
    }
    struct stat st {};
    if (::fstatat(::dirfd(dir), raw.d_name, &st, 0) != 0) {
        // A dangling link, or an entry that vanished since readdir: nothing a
        // program could open as a plain file.
        entry.isSystem = true;
        return;
    }
    entry.isDirectory = S_ISDIR(st.st_mode);
    entry.isSystem = !S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode);
}

} // namespace

bool AttributeRule::admits(const DirectoryEntry& entry) const {
    return (!entry.isDirectory || directories) && (!entry.isHidden || hidden) &&
           (!entry.isSystem || system);
}

std::unique_ptr<DirectoryEnumeration> DirectoryEnumeration::open(const QString& directory,
                                                                 AttributeRule rule) {
    // glibc opens the directory close-on-exec.
    DIR* dir = ::opendir(encodePath(directory).constData());
    if (dir == nullptr)
        return nullptr;
    return std::unique_ptr<DirectoryEnumeration>(new DirectoryEnumeration(dir, directory, rule));
}

DirectoryEnumeration::DirectoryEnumeration(void* handle, QString directory, AttributeRule rule)
    : handle_(handle), directory_(std::move(directory)), rule_(rule) {}

DirectoryEnumeration::~DirectoryEnumeration() {
    close();
}

std::optional<DirectoryEntry> DirectoryEnumeration::next() {
    while (handle_ != nullptr) {
        errno = 0;
        const dirent* raw = ::readdir(dirOf(handle_));
        if (raw == nullptr) {
            // The end, or a read error, which ends the enumeration just the same.
            // Closing here keeps it at the end even if entries appear later.
            close();
            break;
        }
        if (isDotOrDotDot(raw->d_name))
            continue;
        DirectoryEntry entry;
        entry.name = decodePath(raw->d_name);
        entry.isHidden = raw->d_name[0] == '.';
        classify(dirOf(handle_), *raw, entry);
        if (rule_.admits(entry))
            return entry;
    }
    return std::nullopt;
}

void DirectoryEnumeration::close() {
    if (handle_ != nullptr)
        ::closedir(dirOf(handle_));
    handle_ = nullptr;
}

} // namespace platform
