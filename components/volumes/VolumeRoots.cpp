#include "components/volumes/VolumeRoots.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStorageInfo>

namespace volumes {

namespace {

bool isInsideOrAt(const QString& dir, const QString& mountPoint) {
    if (mountPoint == QStringLiteral("/"))
        return dir.startsWith(u'/');
    return dir == mountPoint || (dir.startsWith(mountPoint) && dir.at(mountPoint.size()) == u'/');
}

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
    QStringList found;
    for (const MountInfo& mount : mounts) {
        const QString path = QDir::cleanPath(mount.mountPoint);
        if (!mount.ready || !mount.isDirectory || isPseudoFileSystem(mount.fileSystemType) ||
            !path.startsWith(u'/') || path == QStringLiteral("/") || found.contains(path))
            continue;
        found << path;
    }
    found.sort();
    found.prepend(QStringLiteral("/"));
    return found;
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

QString volumeHolding(const QString& dir, const QStringList& volumes) {
    const int index = volumeIndexOf(dir, volumes);
    return index < 0 ? QString() : volumes[index];
}

QString lastDirectoryOnVolume(const QString& mountPoint) {
    return lastDirectories().value(mountPoint, mountPoint);
}

void rememberVolumeDirectory(const QString& mountPoint, const QString& dir) {
    lastDirectories().insert(mountPoint, dir);
}

} // namespace volumes
