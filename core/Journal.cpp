#include "core/Journal.h"

#include "platform/FileOps.h"
#include "platform/NativePath.h"
#include "platform/Paths.h"

#include <QDateTime>
#include <QDir>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        data += n;
        size -= size_t(n);
    }
    return 0;
}

bool readAllFrom(int fd, qint64 from, qint64 to, QByteArray& out) {
    out.resize(to - from);
    qint64 done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(fd, out.data() + done, size_t(out.size() - done), from + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

// The journal file opened and locked against the other running copies; the
// lock goes with the descriptor.
class Journal::LockedFile {
public:
    ~LockedFile() {
        if (fd >= 0)
            ::close(fd);
    }
    int fd = -1;
    struct stat st {};
};

QString Journal::defaultPath() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // The rules ask for an absolute path and ignore anything else.
    if (!state.startsWith(platform::PathSeparator))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Varno/Sorteka/journal");
}

Journal::Journal(QString path, int keptActions) : path_(std::move(path)), kept_(keptActions) {
    if (refresh() && int(entries_.size()) > kept_)
        (void)rewrite();
}

bool Journal::fail(const QString& what, int err) {
    error_ = QStringLiteral("%1: %2").arg(what, platform::FileResult::failure(err).errorText);
    return false;
}

bool Journal::sync(LockedFile& file, bool write) {
    const QByteArray name = platform::encodePath(path_);
    for (;;) {
        file.fd = ::open(name.constData(), (write ? O_RDWR | O_CREAT : O_RDONLY) | O_CLOEXEC, 0600);
        if (file.fd < 0) {
            if (!write && errno == ENOENT) {
                entries_.clear();
                loadedInode_ = 0;
                validSize_ = 0;
                return true;
            }
            return fail(path_, errno);
        }
        if (::flock(file.fd, LOCK_EX) != 0 || ::fstat(file.fd, &file.st) != 0)
            return fail(path_, errno);
        // A rewrite by another copy may have put a new file at the name while
        // this one waited for the lock.
        struct stat now {};
        if (::stat(name.constData(), &now) == 0 && now.st_ino == file.st.st_ino &&
            now.st_dev == file.st.st_dev)
            break;
        ::close(file.fd);
        file.fd = -1;
    }

    const qint64 size = file.st.st_size;
    // Another file at the name, or this one cut shorter than read: read anew.
    if (loadedInode_ != quint64(file.st.st_ino) || size < validSize_) {
        entries_.clear();
        validSize_ = 0;
        loadedInode_ = quint64(file.st.st_ino);
    }
    QByteArray magic;
    if (validSize_ == 0 && !readAllFrom(file.fd, 0, std::min<qint64>(size, 8), magic))
        return fail(path_, EIO);
    if (validSize_ == 0 && size < journal::FileMagic.size() &&
        journal::FileMagic.startsWith(magic)) {
        // Killed between creating the file and writing all of its first bytes.
        if (!write)
            return true;
        if (::ftruncate(file.fd, 0) != 0)
            return fail(path_, errno);
        if (const int err = writeAll(file.fd, journal::FileMagic.data(), journal::FileMagic.size()))
            return fail(path_, err);
        validSize_ = journal::FileMagic.size();
        (void)platform::syncDirectory(platform::directoryOf(path_));
        return true;
    }
    if (validSize_ == 0) {
        if (magic != journal::FileMagic) {
            // Not a journal of ours: kept aside untouched, and a new one begun.
            const QString aside =
                path_ + QDateTime::currentDateTime().toString(u".'unreadable'-yyyyMMdd-hhmmss");
            ::close(file.fd);
            file.fd = -1;
            if (const platform::FileResult kept = platform::renameNoReplace(path_, aside); !kept)
                return fail(path_, kept.error);
            error_ = QStringLiteral("%1: not a journal, kept as %2").arg(path_, aside);
            loadedInode_ = 0;
            return write ? sync(file, write) : true;
        }
        validSize_ = journal::FileMagic.size();
    }
    if (size > validSize_) {
        QByteArray bytes;
        if (!readAllFrom(file.fd, validSize_, size, bytes))
            return fail(path_, EIO);
        takeIn(bytes, validSize_);
    }
    // A torn last record goes before anything follows it.
    if (write && size > validSize_ && ::ftruncate(file.fd, validSize_) != 0)
        return fail(path_, errno);
    return true;
}

void Journal::takeIn(const QByteArray& bytes, qsizetype from) {
    qsizetype at = 0;
    qsizetype used = 0;
    while (const auto record = journal::decodeRecord(QByteArrayView(bytes).sliced(at), used)) {
        at += used;
        if (record->action) {
            entries_.push_back(*record->action);
            continue;
        }
        // Ids ascend, so the undone action is found by halving.
        const auto it =
            std::lower_bound(entries_.begin(), entries_.end(), record->undoneId,
                             [](const JournalEntry& e, quint64 id) { return e.id < id; });
        if (it != entries_.end() && it->id == record->undoneId)
            it->undone = true;
    }
    validSize_ = from + at;
}

bool Journal::refresh() {
    LockedFile file;
    return sync(file, false);
}

bool Journal::writeLocked(LockedFile& file, const QByteArray& record) {
    if (::lseek(file.fd, validSize_, SEEK_SET) < 0)
        return fail(path_, errno);
    if (const int err = writeAll(file.fd, record.constData(), size_t(record.size())))
        return fail(path_, err);
    if (::fdatasync(file.fd) != 0)
        return fail(path_, errno);
    validSize_ += record.size();
    return true;
}

bool Journal::append(JournalEntry& entry) {
    if (!QDir().mkpath(platform::directoryOf(path_)))
        return fail(platform::directoryOf(path_), EACCES);
    {
        LockedFile file;
        if (!sync(file, true))
            return false;
        entry.id = entries_.empty() ? 1 : entries_.back().id + 1;
        entry.undone = false;
        if (!writeLocked(file, journal::actionRecord(entry)))
            return false;
        entries_.push_back(entry);
    }
    // Trimmed now and then, not at every sort: a rewrite costs a whole file.
    if (int(entries_.size()) > kept_ + kept_ / 10 + 1)
        (void)rewrite();
    return true;
}

bool Journal::markUndone(quint64 id) {
    LockedFile file;
    if (!sync(file, true))
        return false;
    if (!writeLocked(file, journal::undoneRecord(id)))
        return false;
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (it->id == id)
            it->undone = true;
    return true;
}

bool Journal::rewrite() {
    LockedFile file;
    if (!sync(file, true))
        return false;
    const auto first = entries_.end() - std::min<qsizetype>(kept_, entries_.size());
    QByteArray bytes = journal::FileMagic.toByteArray();
    for (auto it = first; it != entries_.end(); ++it)
        bytes += journal::actionRecord(*it);

    // The old file stays locked until the new one has taken its name.
    const QByteArray target = platform::encodePath(path_);
    QByteArray temporary = target + ".new-XXXXXX";
    const int out = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (out < 0)
        return fail(path_, errno);
    int err = writeAll(out, bytes.constData(), size_t(bytes.size()));
    if (err == 0 && ::fdatasync(out) != 0)
        err = errno;
    struct stat st {};
    if (err == 0 && ::fstat(out, &st) != 0)
        err = errno;
    ::close(out);
    if (err == 0 && ::rename(temporary.constData(), target.constData()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temporary.constData());
        return fail(path_, err);
    }
    (void)platform::syncDirectory(platform::directoryOf(path_));
    entries_.erase(entries_.begin(), first);
    loadedInode_ = quint64(st.st_ino);
    validSize_ = bytes.size();
    return true;
}
