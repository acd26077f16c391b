#include "platform/Paths.h"

#include "platform/NativePath.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <unistd.h>

namespace platform {

bool hasTrailingSeparator(const QString& path) {
    return !path.isEmpty() && path.back() == PathSeparator;
}

QString includeTrailingSeparator(const QString& path) {
    return hasTrailingSeparator(path) ? path : path + PathSeparator;
}

QString excludeTrailingSeparator(const QString& path) {
    if (path.size() > 1 && hasTrailingSeparator(path))
        return path.chopped(1);
    return path;
}

QString joinPath(const QString& dir, const QString& name) {
    if (dir.isEmpty())
        return name;
    return includeTrailingSeparator(dir) + name;
}

QString fileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(PathSeparator) + 1);
}

QString directoryOf(const QString& path) {
    return path.left(path.lastIndexOf(PathSeparator) + 1);
}

QString extensionOf(const QString& path) {
    const QString name = fileNameOf(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString currentDirectory() {
    // getcwd rather than QDir::currentPath: the real directory, as the kernel has it.
    QByteArray buffer(4096, '\0');
    while (::getcwd(buffer.data(), static_cast<size_t>(buffer.size())) == nullptr) {
        if (errno != ERANGE)
            return QDir::currentPath();
        buffer.resize(buffer.size() * 2);
    }
    return decodePath(buffer.constData());
}

bool setCurrentDirectory(const QString& path) {
    return !path.isEmpty() && ::chdir(encodePath(path).constData()) == 0;
}

} // namespace platform
