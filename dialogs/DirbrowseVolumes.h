#pragma once

// The volumes the directory chooser offers in place of drives, and the
// directory last shown on each of them in this run.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// What the volume rule needs to know of one mount.
struct MountInfo {
    QString mountPoint;
    QByteArray fileSystemType;
    bool ready = false;       // mounted and answering (a medium is present)
    bool isDirectory = false; // bind mounts of single files are not volumes
};

// File-system types that hold no user files: kernel interfaces, memory-backed
// run-time folders, container layers, read-only application images and the
// desktop's own helper mounts.
[[nodiscard]] bool isPseudoFileSystem(const QByteArray& type);

// The volume list: the root "/" first, then the mount points of the ready,
// real volumes in `mounts`, sorted by path, each once. Everything under the
// root stays reachable through "/" itself, so leaving a mount out only drops a
// shortcut.
[[nodiscard]] QStringList selectVolumes(const std::vector<MountInfo>& mounts);

// The volume list of this machine (selectVolumes over the mounted volumes).
[[nodiscard]] QStringList mountedVolumePaths();

// Index in `volumes` of the volume holding `dir`: the longest mount point that
// is `dir` or one of its parents; -1 when none is.
[[nodiscard]] int volumeIndexOf(const QString& dir, const QStringList& volumes);

// The directory last shown on volume `mountPoint` in this run (as recorded by
// rememberVolumeDirectory), else the mount point itself.
[[nodiscard]] QString lastDirectoryOnVolume(const QString& mountPoint);
void rememberVolumeDirectory(const QString& mountPoint, const QString& dir);
