#include "platform/FileOps.h"

#include <QFile>
#include <QLoggingCategory>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0) // older C libraries declare only the system call
#endif

Q_LOGGING_CATEGORY(lcFileOps, "sorteka.platform.fileops", QtWarningMsg)

namespace platform {

namespace {

// A file descriptor closed when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    [[nodiscard]] int get() const { return fd_; }
    [[nodiscard]] bool valid() const { return fd_ >= 0; }
    void reset() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    // Closes and reports close()'s own failure (delayed write errors surface here).
    int closeChecked() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_;
};

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

// The folder part of an encoded path: "." for a bare name, "/" for a name in the root.
QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray nameOf(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

// A file system that cannot fsync a directory has nothing to flush there.
bool directorySyncUnsupported(int err) {
    return err == EINVAL || err == EROFS || err == EOPNOTSUPP;
}

int syncFolder(const QByteArray& folder) {
    Fd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid())
        return errno;
    if (::fsync(dir.get()) != 0 && !directorySyncUnsupported(errno))
        return errno;
    return dir.closeChecked();
}

int writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

// Copies the rest of `in` to `out` through a buffer, from both files' current offsets.
int copyByReading(int in, int out) {
    constexpr size_t BufferSize = 256 * 1024;
    QByteArray buffer(BufferSize, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), BufferSize);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            return 0;
        if (const int err = writeAll(out, buffer.constData(), static_cast<size_t>(got)))
            return err;
    }
}

// Copies all of `in` to `out`, in the kernel where it can (no trip through user
// space, reflinks on file systems that share blocks), else through a buffer.
int copyData(int in, int out, off_t sourceSize) {
    off_t copied = 0;
    for (;;) {
        const ssize_t n =
            ::copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(1) << 30, 0);
        if (n > 0) {
            copied += n;
            continue;
        }
        if (n == 0) {
            // Some file systems answer 0 rather than an error when they cannot do
            // it; reading makes sure the end really is the end.
            return copied < sourceSize ? copyByReading(in, out) : 0;
        }
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)
            return copyByReading(in, out);
        return errno;
    }
}

// Template for the temporary file: ".<name>.sorteka-XXXXXX" in the target's
// folder, with the name shortened so the whole stays within NAME_MAX.
QByteArray temporaryTemplate(const QByteArray& folder, const QByteArray& targetName) {
    constexpr qsizetype Decoration = 1 + 9 + 6; // ".", ".sorteka-", "XXXXXX"
    QByteArray name = targetName;
    if (name.size() > NAME_MAX - Decoration) {
        name.truncate(NAME_MAX - Decoration);
        // Never end inside a UTF-8 sequence: drop continuation bytes and their lead.
        while (!name.isEmpty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80)
            name.chop(1);
        if (!name.isEmpty() && (static_cast<unsigned char>(name.back()) & 0x80) != 0)
            name.chop(1);
    }
    QByteArray result = folder;
    if (!result.endsWith('/'))
        result += '/';
    return result + '.' + name + ".sorteka-XXXXXX";
}

// The copy proper, once the source is open; `temporaryPath` names the temporary
// file while it exists so the caller can remove it on failure.
int copyOpenSource(int in, const struct stat& source, const QByteArray& target,
                   QByteArray& temporaryPath) {
    const QByteArray folder = folderOf(target);
    QByteArray pattern = temporaryTemplate(folder, nameOf(target));
    Fd out(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!out.valid())
        return errno;
    temporaryPath = pattern;

    if (const int err = copyData(in, out.get(), source.st_size))
        return err;
    // Read-only stays read-only; set-id bits are not carried to a copy.
    if (::fchmod(out.get(), source.st_mode & 0777) != 0)
        return errno;
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    if (::futimens(out.get(), times) != 0)
        return errno;
    if (::fsync(out.get()) != 0)
        return errno;
    // The copy is on disk now and nobody reads it soon: its pages leave the
    // cache at once instead of pushing out pages that are in use, which also
    // spares a long run of copies the kernel's work of making room.
    (void)::posix_fadvise(out.get(), 0, 0, POSIX_FADV_DONTNEED);
    if (const int err = out.closeChecked())
        return err;
    if (::rename(pattern.constData(), target.constData()) != 0)
        return errno;
    temporaryPath.clear();
    return syncFolder(folder);
}

} // namespace

FileResult FileResult::failure(int err) {
    char buffer[256];
    // The GNU strerror_r returns the text, in `buffer` or a static string.
    const char* text = ::strerror_r(err, buffer, sizeof buffer);
    return {false, err, QString::fromLocal8Bit(text)};
}

bool directoryExists(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(encoded(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool fileExists(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(encoded(path).constData(), &st) == 0 && !S_ISDIR(st.st_mode);
}

FileResult createDirectory(const QString& path) {
    if (::mkdir(encoded(path).constData(), 0777) != 0)
        return FileResult::failure(errno);
    return FileResult::success();
}

FileResult copyFileReplacing(const QString& source, const QString& target) {
    const QByteArray from = encoded(source);
    const QByteArray to = encoded(target);

    // O_NONBLOCK so that a FIFO given as source cannot hang the open.
    Fd in(::open(from.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!in.valid())
        return FileResult::failure(errno);
    struct stat st {};
    if (::fstat(in.get(), &st) != 0)
        return FileResult::failure(errno);
    if (!S_ISREG(st.st_mode))
        return FileResult::failure(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);

    // Copying a file onto itself (same path, a hard link or a symbolic link to
    // it) is refused: there is nothing to copy, and a move would then delete
    // the only copy.
    struct stat existing {};
    if (::stat(to.constData(), &existing) == 0 && existing.st_dev == st.st_dev &&
        existing.st_ino == st.st_ino) {
        FileResult result = FileResult::failure(EINVAL);
        result.errorText = QStringLiteral("source and target are the same file");
        return result;
    }

    QByteArray temporaryPath;
    const int err = copyOpenSource(in.get(), st, to, temporaryPath);
    if (!temporaryPath.isEmpty())
        ::unlink(temporaryPath.constData());
    if (err != 0) {
        qCDebug(lcFileOps) << "copy" << source << "to" << target << "failed:" << strerror(err);
        return FileResult::failure(err);
    }
    removeStaleTemporaries(target, StaleTemporaryAge);
    return FileResult::success();
}

int removeStaleTemporaries(const QString& target, std::chrono::seconds olderThan) {
    const QByteArray to = encoded(target);
    const QByteArray folder = folderOf(to);
    // The template without its random part: ".<name>.sorteka-".
    QByteArray prefix = temporaryTemplate(QByteArray(), nameOf(to));
    prefix.chop(6);
    prefix.remove(0, 1); // the "/" temporaryTemplate put before the name
    DIR* dir = ::opendir(folder.constData());
    if (dir == nullptr)
        return 0;
    int removed = 0;
    const time_t limit = ::time(nullptr) - static_cast<time_t>(olderThan.count());
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
            continue;
        struct stat st {};
        // ctime moves with every write and with the final chmod and times of a
        // copy still running elsewhere, so only abandoned files are this old.
        if (::fstatat(::dirfd(dir), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || st.st_ctim.tv_sec > limit)
            continue;
        if (::unlinkat(::dirfd(dir), name.constData(), 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

FileResult renameByLinking(const QString& from, const QString& to) {
    const QByteArray oldName = encoded(from);
    const QByteArray newName = encoded(to);
    // link() fails with EEXIST instead of replacing, atomically.
    if (::link(oldName.constData(), newName.constData()) != 0)
        return FileResult::failure(errno);
    if (::unlink(oldName.constData()) != 0) {
        const int err = errno;
        ::unlink(newName.constData());
        return FileResult::failure(err);
    }
    return FileResult::success();
}

FileResult renameNoReplace(const QString& from, const QString& to) {
    const QByteArray oldName = encoded(from);
    const QByteArray newName = encoded(to);
    if (::syscall(SYS_renameat2, AT_FDCWD, oldName.constData(), AT_FDCWD, newName.constData(),
                  RENAME_NOREPLACE) == 0)
        return FileResult::success();
    const int err = errno;
    if (err == EINVAL || err == ENOSYS || err == EOPNOTSUPP) {
        qCDebug(lcFileOps) << "no-replace rename unsupported for" << from << "- linking instead";
        return renameByLinking(from, to);
    }
    return FileResult::failure(err);
}

FileResult deleteFile(const QString& path) {
    // unlink() refuses directories itself (EISDIR).
    if (::unlink(encoded(path).constData()) != 0)
        return FileResult::failure(errno);
    return FileResult::success();
}

FileResult syncDirectory(const QString& path) {
    if (const int err = syncFolder(encoded(path)))
        return FileResult::failure(err);
    return FileResult::success();
}

} // namespace platform
