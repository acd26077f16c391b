#include "platform/FileIdentity.h"

#include "platform/NativePath.h"

#include <sys/stat.h>

namespace platform {

std::optional<FileIdentity> identityOf(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::lstat(encodePath(path).constData(), &st) != 0)
        return std::nullopt;
    return FileIdentity{quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
                        qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

} // namespace platform
