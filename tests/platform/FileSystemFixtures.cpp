#include "FileSystemFixtures.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

QStringList rawListing(const QString& folder) {
    QStringList names;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names << QFile::decodeName(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

struct stat statOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        st.st_nlink = 0;
    return st;
}

void setTimes(const QString& path, const struct timespec& atime, const struct timespec& mtime) {
    const struct timespec times[2] = {atime, mtime};
    if (::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) != 0)
        qFatal("cannot set the times of %s", qPrintable(path));
}

namespace {

// Sets or clears the immutable flag of a folder; errno on failure.
int setImmutable(const QByteArray& folder, bool on) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int flags = 0;
    int err = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
        err = errno;
    } else {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0)
            err = errno;
    }
    ::close(fd);
    return err;
}

} // namespace

UnchangeableFolder::UnchangeableFolder(const QString& folder) : folder_(QFile::encodeName(folder)) {
    if (::geteuid() != 0) {
        engaged_ = ::chmod(folder_.constData(), 0555) == 0;
        if (!engaged_)
            skipReason_ = QStringLiteral("cannot make the folder read-only");
        return;
    }
    const int err = setImmutable(folder_, true);
    immutable_ = engaged_ = err == 0;
    if (!engaged_)
        skipReason_ = QStringLiteral("running as root, which ignores permission bits, and this "
                                     "file system has no immutable flag (%1); run the tests as "
                                     "an ordinary user to cover this case")
                          .arg(QString::fromLocal8Bit(std::strerror(err)));
}

UnchangeableFolder::~UnchangeableFolder() {
    if (immutable_)
        setImmutable(folder_, false);
    else if (engaged_)
        ::chmod(folder_.constData(), 0755);
}
