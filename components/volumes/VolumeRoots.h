#pragma once

// The volumes that stand in for drives in the folder widgets and the directory
// chooser: the root "/" first, then the mount points of real, ready volumes
// sorted by path (kernel, memory-backed, container-layer and desktop helper
// file systems left out), the deepest volume holding a path, and the folder
// last shown on each volume in this run. Qt Core only, so every widget library
// and the dialogs can use it.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace volumes {

// What the volume rule needs to know of one mount.
struct MountInfo {
    QString mountPoint;
    QByteArray fileSystemType;
    bool ready = false;       // mounted and answering (a medium is present)
    bool isDirectory = false; // bind mounts of single files are not volumes
};

// File-system types that hold no user files.
[[nodiscard]] bool isPseudoFileSystem(const QByteArray& type);

// The volume list: "/" first, then the mount points of the ready, real volumes
// in `mounts`, sorted by path, each once. Everything under the root stays
// reachable through "/" itself, so leaving a mount out only drops a shortcut.
[[nodiscard]] QStringList selectVolumes(const std::vector<MountInfo>& mounts);

// The volume list of this machine (selectVolumes over the mounted volumes).
[[nodiscard]] QStringList mountedVolumePaths();
[[nodiscard]] inline QStringList realVolumeRoots() {
    return mountedVolumePaths();
}

// Index in `volumes` of the deepest volume holding the absolute `dir` (the
// longest mount point that is `dir` or one of its parents); -1 when none is.
[[nodiscard]] int volumeIndexOf(const QString& dir, const QStringList& volumes);
// The same volume's path; empty when none holds `dir`.
[[nodiscard]] QString volumeHolding(const QString& dir, const QStringList& volumes);

// The folder last shown on volume `mountPoint` in this run, else the mount
// point itself. One record per process, as a system keeps one current
// directory per drive: every widget and chooser shares it.
[[nodiscard]] QString lastDirectoryOnVolume(const QString& mountPoint);
void rememberVolumeDirectory(const QString& mountPoint, const QString& dir);

} // namespace volumes
