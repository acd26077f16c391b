#include "platform/FileOps.h"

#include "platform/NativePath.h"

#include <QFile>
#include <QLoggingCategory>
#include <QMutex>
#include <QRandomGenerator>
#include <QSet>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

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
    void adopt(int fd) {
        reset();
        fd_ = fd;
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
    return encodePath(path);
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

// Template for a hidden file beside `targetName`: ".<name><marker>XXXXXX" in
// `folder`, with the name shortened so the whole stays within NAME_MAX.
QByteArray hiddenTemplate(const QByteArray& folder, const QByteArray& targetName,
                          QByteArrayView marker) {
    const qsizetype decoration = 1 + marker.size() + 6;
    QByteArray name = targetName;
    if (name.size() > NAME_MAX - decoration) {
        name.truncate(NAME_MAX - decoration);
        // Never end inside a UTF-8 sequence: drop continuation bytes and their lead.
        while (!name.isEmpty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80)
            name.chop(1);
        if (!name.isEmpty() && (static_cast<unsigned char>(name.back()) & 0x80) != 0)
            name.chop(1);
    }
    QByteArray result = folder;
    if (!result.endsWith('/'))
        result += '/';
    return result + '.' + name + marker.toByteArray() + "XXXXXX";
}

constexpr QByteArrayView TemporaryMarker = ".sorteka-";
constexpr QByteArrayView KeptMarker = ".sorteka-kept-";

QByteArray temporaryTemplate(const QByteArray& folder, const QByteArray& targetName) {
    return hiddenTemplate(folder, targetName, TemporaryMarker);
}

// A template with its "XXXXXX" filled in.
QByteArray randomName(QByteArray name) {
    static constexpr char Letters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (qsizetype i = name.size() - 6; i < name.size(); ++i)
        name[i] = Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))];
    return name;
}

// Writes the copy's data, permission bits and times to `out` and makes them durable.
int fillCopy(int in, int out, const struct stat& source) {
    if (const int err = copyData(in, out, source.st_size))
        return err;
    // Read-only stays read-only; set-id bits are not carried to a copy.
    if (::fchmod(out, source.st_mode & 0777) != 0)
        return errno;
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    if (::futimens(out, times) != 0)
        return errno;
    if (::fsync(out) != 0)
        return errno;
    // The copy is on disk now and nobody reads it soon: its pages leave the
    // cache at once instead of pushing out pages that are in use, which also
    // spares a long run of copies the kernel's work of making room.
    (void)::posix_fadvise(out, 0, 0, POSIX_FADV_DONTNEED);
    return 0;
}

// A named temporary in `folder`, locked for as long as it is open, so a sweep
// can tell one still being written from one a killed copy left behind.
int createNamedTemporary(const QByteArray& folder, const QByteArray& targetName,
                         QByteArray& temporaryPath, Fd& out) {
    QByteArray pattern = temporaryTemplate(folder, targetName);
    out.adopt(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!out.valid())
        return errno;
    temporaryPath = pattern;
    if (::flock(out.get(), LOCK_EX | LOCK_NB) != 0)
        return errno;
    return 0;
}

// The copy proper, once the source is open. The data goes to a file without a
// name in the target's folder, which vanishes by itself if the program is
// killed, and gets its name only once it is on disk. Where the file system
// has no unnamed files, a hidden named temporary stands in; `temporaryPath`
// names it while it exists so the caller can remove it on failure.
int copyOpenSource(int in, const struct stat& source, const QByteArray& target,
                   QByteArray& temporaryPath, bool replace) {
    const QByteArray folder = folderOf(target);
    Fd out(::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (!out.valid() && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return errno;
    // The unnamed file gets its name through /proc; without /proc (or with a
    // process /proc keeps closed to itself) it could never be named.
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(out.get());
    if (out.valid() && ::faccessat(AT_FDCWD, self.constData(), F_OK, AT_EACCESS) != 0)
        out.reset();
    const bool unnamed = out.valid();
    if (!unnamed) {
        if (const int err = createNamedTemporary(folder, nameOf(target), temporaryPath, out))
            return err;
    }
    if (const int err = fillCopy(in, out.get(), source))
        return err;

    if (unnamed) {
        // Straight to the target's name where that is free; a name taken
        // meanwhile, or a file to replace, goes through a hidden name that is
        // then renamed over it in one step.
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) ==
            0) {
            if (const int err = out.closeChecked())
                return err;
            return syncFolder(folder);
        }
        if (errno != EEXIST || !replace)
            return errno;
        for (int attempt = 0; temporaryPath.isEmpty(); ++attempt) {
            const QByteArray name = randomName(temporaryTemplate(folder, nameOf(target)));
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(),
                         AT_SYMLINK_FOLLOW) == 0)
                temporaryPath = name;
            else if (errno != EEXIST || attempt > 100)
                return errno;
        }
    }
    if (const int err = out.closeChecked())
        return err;
    if (replace) {
        if (::rename(temporaryPath.constData(), target.constData()) != 0)
            return errno;
    } else if (const FileResult named =
                   renameNoReplace(decodePath(temporaryPath), decodePath(target));
               !named) {
        return named.error;
    }
    temporaryPath.clear();
    return syncFolder(folder);
}

// The first copy of a run into a folder clears what killed copies left there.
void sweepFolderOnce(const QByteArray& folder) {
    static QMutex mutex;
    static QSet<QByteArray> swept;
    const QMutexLocker lock(&mutex);
    if (swept.contains(folder))
        return;
    swept.insert(folder);
    removeAbandonedTemporaries(decodePath(folder), AbandonedTemporaryAge);
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

namespace {

FileResult copyFile(const QString& source, const QString& target, bool replace) {
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

    sweepFolderOnce(folderOf(to));
    QByteArray temporaryPath;
    const int err = copyOpenSource(in.get(), st, to, temporaryPath, replace);
    if (!temporaryPath.isEmpty())
        ::unlink(temporaryPath.constData());
    if (err != 0) {
        qCDebug(lcFileOps) << "copy" << source << "to" << target << "failed:" << strerror(err);
        return FileResult::failure(err);
    }
    return FileResult::success();
}

} // namespace

FileResult copyFileReplacing(const QString& source, const QString& target) {
    return copyFile(source, target, true);
}

FileResult copyFileNoReplace(const QString& source, const QString& target) {
    return copyFile(source, target, false);
}

namespace {

// ".<name><marker>XXXXXX", the suffix letters and digits only.
bool hasHiddenForm(const QByteArray& name, QByteArrayView marker) {
    return name.startsWith('.') && name.size() >= 1 + marker.size() + 6 &&
           name.sliced(name.size() - 6 - marker.size(), marker.size()) == marker &&
           std::all_of(name.end() - 6, name.end(), [](char c) { return std::isalnum(uchar(c)); });
}

} // namespace

int removeAbandonedTemporaries(const QString& folder, std::chrono::seconds olderThan) {
    DIR* dir = ::opendir(encoded(folder).constData());
    if (dir == nullptr)
        return 0;
    int removed = 0;
    // The fine clock: a file's change time can be taken from it, a moment
    // ahead of the coarse one time() reads.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const time_t limit = now.tv_sec - static_cast<time_t>(olderThan.count());
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        const bool temporary = hasHiddenForm(name, TemporaryMarker);
        if (!temporary && !hasHiddenForm(name, KeptMarker))
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || st.st_ctim.tv_sec > limit)
            continue;
        // A kept file that is the only link left is the older file of a move
        // that never completed: it stays. One still linked at its own name is
        // a spare.
        if (!temporary && st.st_nlink < 2)
            continue;
        // A copy or move still running holds its lock.
        Fd file(::openat(::dirfd(dir), name.constData(),
                         O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
        if (!file.valid() || ::flock(file.get(), LOCK_EX | LOCK_NB) != 0)
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

FileResult moveByRenaming(const QString& source, const QString& target, bool replace) {
    const QByteArray from = encoded(source);
    const QByteArray to = encoded(target);
    struct stat st {};
    if (::lstat(from.constData(), &st) != 0)
        return FileResult::failure(errno);
    if (!S_ISREG(st.st_mode))
        return FileResult::failure(EOPNOTSUPP);
    // Renaming a file over another name of itself "succeeds" and leaves both
    // names: refused, as a copy onto itself is.
    struct stat existing {};
    if (::stat(to.constData(), &existing) == 0 && existing.st_dev == st.st_dev &&
        existing.st_ino == st.st_ino) {
        FileResult result = FileResult::failure(EINVAL);
        result.errorText = QStringLiteral("source and target are the same file");
        return result;
    }

    if (replace) {
        if (::rename(from.constData(), to.constData()) != 0)
            return FileResult::failure(errno);
    } else if (const FileResult renamed = renameNoReplace(source, target); !renamed) {
        return renamed;
    }

    // The new name first: should the second flush not happen, the file is
    // found at its new name, where the user sent it.
    const QByteArray targetFolder = folderOf(to);
    const QByteArray sourceFolder = folderOf(from);
    int err = syncFolder(targetFolder);
    if (err == 0 && sourceFolder != targetFolder)
        err = syncFolder(sourceFolder);
    if (err != 0)
        qCWarning(lcFileOps) << "moved" << source << "to" << target
                             << "but could not flush the folders:" << strerror(err);
    return FileResult::success();
}

bool folderWritable(const QString& folder) {
    return ::faccessat(AT_FDCWD, encoded(folder).constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

FileResult deleteFile(const QString& path) {
    // unlink() refuses directories itself (EISDIR).
    if (::unlink(encoded(path).constData()) != 0)
        return FileResult::failure(errno);
    return FileResult::success();
}

std::optional<KeptFile> KeptFile::keep(const QString& path) {
    const QByteArray name = encoded(path);
    const QByteArray pattern = hiddenTemplate(folderOf(name), nameOf(name), KeptMarker);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray hidden = randomName(pattern);
        if (::link(name.constData(), hidden.constData()) == 0)
            return KeptFile(name, hidden, false);
        if (errno == EEXIST)
            continue;
        // No hard links here (a memory card's file system): the file steps
        // aside under the hidden name instead, leaving its own name free.
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK)
            return std::nullopt;
        const FileResult aside = renameNoReplace(decodePath(name), decodePath(hidden));
        if (aside)
            return KeptFile(name, hidden, true);
        if (aside.error != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

KeptFile::KeptFile(QByteArray path, QByteArray hidden, bool steppedAside)
    : path_(std::move(path)), hidden_(std::move(hidden)), steppedAside_(steppedAside) {
    // Held while the move runs, so another run's sweep leaves the name alone.
    lock_ = ::open(hidden_.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (lock_ >= 0)
        (void)::flock(lock_, LOCK_EX | LOCK_NB);
}

KeptFile::KeptFile(KeptFile&& other) noexcept
    : path_(std::move(other.path_)), hidden_(std::exchange(other.hidden_, {})),
      steppedAside_(other.steppedAside_), lock_(std::exchange(other.lock_, -1)) {}

KeptFile& KeptFile::operator=(KeptFile&& other) noexcept {
    if (this != &other) {
        if (lock_ >= 0)
            ::close(lock_);
        path_ = std::move(other.path_);
        hidden_ = std::exchange(other.hidden_, {});
        steppedAside_ = other.steppedAside_;
        lock_ = std::exchange(other.lock_, -1);
    }
    return *this;
}

KeptFile::~KeptFile() {
    if (lock_ >= 0)
        ::close(lock_);
}

FileResult KeptFile::restore() {
    if (hidden_.isEmpty())
        return FileResult::success();
    if (::rename(hidden_.constData(), path_.constData()) != 0)
        return FileResult::failure(errno);
    // Renaming one link of a file over another link of it changes nothing.
    ::unlink(hidden_.constData());
    hidden_.clear();
    return syncDirectory(decodePath(folderOf(path_)));
}

void KeptFile::release() {
    if (!hidden_.isEmpty())
        ::unlink(hidden_.constData());
    hidden_.clear();
}

FileResult syncDirectory(const QString& path) {
    if (const int err = syncFolder(encoded(path)))
        return FileResult::failure(err);
    return FileResult::success();
}

} // namespace platform
