#include "dialogs/DirbrowseVolumes.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStorageInfo>

namespace {

bool isInsideOrAt(const QString& dir, const QString& mountPoint) {
    if (mountPoint == QStringLiteral("/"))
        return dir.startsWith(u'/');
    return dir == mountPoint || (dir.startsWith(mountPoint) && dir.at(mountPoint.size()) == u'/');
}

// Like the current directory of each drive, one per volume for the whole run:
// every chooser shares it.
QHash<QString, QString>& lastDirectories() {
    static QHash<QString, QString> directories;
    return directories;
}

} // namespace

bool isPseudoFileSystem(const QByteArray& type) {
    static const QList<QByteArray> pseudo{
        // kernel interfaces
        "proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs", "debugfs",
        "tracefs", "pstore", "bpf", "configfs", "fusectl", "mqueue", "hugetlbfs", "autofs",
        "binfmt_misc", "efivarfs", "selinuxfs", "rpc_pipefs", "nsfs", "nfsd",
        // memory-backed run-time folders (/run, /dev/shm, /tmp on some systems)
        "tmpfs", "ramfs",
        // container layers and read-only application images (snaps)
        "overlay", "squashfs",
        // the desktop's own helper mounts under /run/user
        "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs"};
    return pseudo.contains(type);
}

QStringList selectVolumes(const std::vector<MountInfo>& mounts) {
    QStringList volumes;
    for (const MountInfo& mount : mounts) {
        const QString path = QDir::cleanPath(mount.mountPoint);
        if (!mount.ready || !mount.isDirectory || isPseudoFileSystem(mount.fileSystemType) ||
            !path.startsWith(u'/') || path == QStringLiteral("/") || volumes.contains(path))
            continue;
        volumes << path;
    }
    volumes.sort();
    volumes.prepend(QStringLiteral("/"));
    return volumes;
}

QStringList mountedVolumePaths() {
    std::vector<MountInfo> mounts;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        if (!storage.isValid())
            continue;
        mounts.push_back({storage.rootPath(), storage.fileSystemType(), storage.isReady(),
                          QFileInfo(storage.rootPath()).isDir()});
    }
    return selectVolumes(mounts);
}

int volumeIndexOf(const QString& dir, const QStringList& volumes) {
    int best = -1;
    for (int i = 0; i < volumes.size(); ++i) {
        if (isInsideOrAt(dir, volumes[i]) && (best < 0 || volumes[i].size() > volumes[best].size()))
            best = i;
    }
    return best;
}

QString lastDirectoryOnVolume(const QString& mountPoint) {
    return lastDirectories().value(mountPoint, mountPoint);
}

void rememberVolumeDirectory(const QString& mountPoint, const QString& dir) {
    lastDirectories().insert(mountPoint, dir);
}
