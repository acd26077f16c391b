#pragma once

// Helpers the platform tests share: raw listings, file metadata, and ways to
// make a folder refuse changes whoever runs the tests.
//
// Permission failures behave differently for root, who ignores permission bits.
// As root a folder is made immutable instead (a flag root must respect); where
// the file system has no such flag those tests skip. To run them through the
// permission bits as well, run the binary as an ordinary user, e.g.
//   setpriv --reuid=nobody --regid=nogroup --clear-groups <build>/tests/platform_tests

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <sys/stat.h>

// Names in `folder` in the order readdir gives them, without "." and "..".
[[nodiscard]] QStringList rawListing(const QString& folder);

// stat() of `path`; st_nlink is 0 when it does not exist.
[[nodiscard]] struct stat statOf(const QString& path);

// Sets `path`'s access and modification times, with nanoseconds.
void setTimes(const QString& path, const struct timespec& atime, const struct timespec& mtime);

// While it lives, nothing can be created in or removed from the folder.
class UnchangeableFolder {
public:
    explicit UnchangeableFolder(const QString& folder);
    ~UnchangeableFolder();
    UnchangeableFolder(const UnchangeableFolder&) = delete;
    UnchangeableFolder& operator=(const UnchangeableFolder&) = delete;

    // False when the folder could not be locked (root on a file system without
    // the immutable flag); the reason is then in skipReason().
    [[nodiscard]] bool engaged() const { return engaged_; }
    [[nodiscard]] const QString& skipReason() const { return skipReason_; }

private:
    QByteArray folder_;
    bool engaged_ = false;
    bool immutable_ = false;
    QString skipReason_;
};
