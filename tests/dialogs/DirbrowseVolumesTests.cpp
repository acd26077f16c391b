// The volumes offered in place of drives: which mounts count, which volume a
// directory lies on, and the directory remembered per volume.

#include "dialogs/DirbrowseVolumes.h"

#include <gtest/gtest.h>

namespace {

MountInfo mount(const QString& path, const QByteArray& type, bool ready = true,
                bool isDirectory = true) {
    return {path, type, ready, isDirectory};
}

TEST(DirbrowseVolumesTest, RootComesFirstThenRealReadyVolumesSorted) {
    const std::vector<MountInfo> mounts{
        mount("/media/user/CARD", "vfat"),
        mount("/", "overlay"),
        mount("/proc", "proc"),
        mount("/sys", "sysfs"),
        mount("/dev", "devtmpfs"),
        mount("/run", "tmpfs"),
        mount("/sys/fs/cgroup", "cgroup2"),
        mount("/snap/core/1", "squashfs"),
        mount("/run/user/1000/gvfs", "fuse.gvfsd-fuse"),
        mount("/home", "ext4"),
        mount("/home/", "ext4"),
        mount("/media/user/EMPTY", "udf", false),
        mount("/etc/hosts", "ext4", true, false),
        mount("/mnt/usb", "fuseblk"),
        mount("/mnt/share", "nfs4"),
    };
    EXPECT_EQ(selectVolumes(mounts),
              (QStringList{"/", "/home", "/media/user/CARD", "/mnt/share", "/mnt/usb"}));
    EXPECT_EQ(selectVolumes({}), QStringList{"/"});
}

TEST(DirbrowseVolumesTest, RealListStartsAtTheRoot) {
    const QStringList volumes = mountedVolumePaths();
    ASSERT_FALSE(volumes.isEmpty());
    EXPECT_EQ(volumes.front(), "/");
    EXPECT_EQ(volumes.count("/"), 1);
}

TEST(DirbrowseVolumesTest, DirectoryLiesOnTheDeepestVolumeHoldingIt) {
    const QStringList volumes{"/", "/home", "/home/user/usb", "/media"};
    EXPECT_EQ(volumeIndexOf("/", volumes), 0);
    EXPECT_EQ(volumeIndexOf("/etc", volumes), 0);
    EXPECT_EQ(volumeIndexOf("/home", volumes), 1);
    EXPECT_EQ(volumeIndexOf("/home/user", volumes), 1);
    EXPECT_EQ(volumeIndexOf("/home/user/usb/dcim", volumes), 2);
    EXPECT_EQ(volumeIndexOf("/homework", volumes), 0);
    EXPECT_EQ(volumeIndexOf("/media", volumes), 3);
    EXPECT_EQ(volumeIndexOf("/home/x", QStringList{"/media"}), -1);
}

TEST(DirbrowseVolumesTest, RemembersTheLastDirectoryPerVolume) {
    const QString volume = "/volume-memory-test";
    EXPECT_EQ(lastDirectoryOnVolume(volume), volume);
    rememberVolumeDirectory(volume, volume + "/a");
    rememberVolumeDirectory(volume, volume + "/b");
    rememberVolumeDirectory("/other-volume-memory-test", "/other-volume-memory-test/c");
    EXPECT_EQ(lastDirectoryOnVolume(volume), volume + "/b");
}

} // namespace
