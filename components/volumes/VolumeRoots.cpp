#include "components/volumes/VolumeRoots.h"

#include <QByteArray>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

namespace volumes {

namespace {
// Kernel and desktop file systems that hold no user folders of their own.
bool isPseudoFileSystem(const QByteArray& type) {
    static const QSet<QByteArray> pseudo = {
        "proc",     "sysfs",       "devtmpfs",       "devpts",    "tmpfs",       "ramfs",
        "cgroup",   "cgroup2",     "securityfs",     "pstore",    "debugfs",     "tracefs",
        "configfs", "fusectl",     "mqueue",         "hugetlbfs", "binfmt_misc", "autofs",
        "bpf",      "nsfs",        "rpc_pipefs",     "efivarfs",  "selinuxfs",   "squashfs",
        "overlay",  "fuse.portal", "fuse.gvfsd-fuse"};
    return pseudo.contains(type);
}
} // namespace

QStringList realVolumeRoots() {
    QStringList roots{QStringLiteral("/")};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || isPseudoFileSystem(volume.fileSystemType()))
            continue;
        const QString root = volume.rootPath();
        // Containers bind-mount single files (/etc/hosts); only folders are volumes.
        if (!QFileInfo(root).isDir() || roots.contains(root))
            continue;
        roots << root;
    }
    return roots;
}

} // namespace volumes
