#include "core/ClashCheck.h"

#include "platform/NativePath.h"
#include "platform/Paths.h"

#include <QLocale>
#include <QRunnable>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

QString absolute(const QString& path) {
    return path.startsWith(platform::PathSeparator)
               ? path
               : platform::joinPath(platform::currentDirectory(), path);
}

// What the comparing thread needs of one clash, copied so it shares nothing.
struct Comparison {
    int number = 0;
    QByteArray path;
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = 0;
};

class Descriptor {
public:
    explicit Descriptor(const QByteArray& path)
        : fd_(::open(path.constData(), O_RDONLY | O_CLOEXEC)) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    [[nodiscard]] int fd() const { return fd_; }

private:
    int fd_;
};

// Reads exactly `size` bytes at `offset`; false on an error or an early end.
bool readAt(int fd, char* buffer, size_t size, off_t offset) {
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, buffer + done, size - done, offset + off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += size_t(got);
    }
    return true;
}

using Cancelled = std::function<bool()>;

// The bytes of `other` against the picture's, both `size` long when stat()ed.
Clash::Content compareBytes(int picture, qint64 size, const Comparison& other,
                            const Cancelled& cancelled) {
    const Descriptor file(other.path);
    struct stat st {};
    if (file.fd() < 0 || ::fstat(file.fd(), &st) != 0)
        return Clash::Content::Unreadable;
    if (st.st_size != size)
        return Clash::Content::Different;
    // Large enough to keep the calls few, small enough to notice a newer picture at once.
    constexpr size_t Chunk = size_t(256) * 1024;
    std::vector<char> mine(Chunk);
    std::vector<char> theirs(Chunk);
    for (qint64 offset = 0; offset < size; offset += qint64(Chunk)) {
        if (cancelled())
            return Clash::Content::Comparing;
        const size_t length = size_t(std::min<qint64>(qint64(Chunk), size - offset));
        if (!readAt(picture, mine.data(), length, off_t(offset)) ||
            !readAt(file.fd(), theirs.data(), length, off_t(offset)))
            return Clash::Content::Unreadable;
        if (std::memcmp(mine.data(), theirs.data(), length) != 0)
            return Clash::Content::Different;
    }
    return Clash::Content::Same;
}

} // namespace

QString clashDescription(const Clash& clash) {
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QString text =
        QStringLiteral("同じ名前のファイルがあります: %1 バイト, %2")
            .arg(japanese.toString(clash.size),
                 clash.modified.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm")));
    if (clash.content == Clash::Content::Same)
        text += QStringLiteral("\n同じ内容");
    return text;
}

ClashCheck::ClashCheck(QObject* parent)
    : QObject(parent), generation_(std::make_shared<std::atomic<quint64>>(0)) {
    // One comparison at a time: the disk is shared with the sorting itself.
    pool_.setMaxThreadCount(1);
}

ClashCheck::~ClashCheck() {
    generation_->fetch_add(1);
    pool_.waitForDone();
}

void ClashCheck::check(const QString& picture, const QStringList& folders) {
    const quint64 generation = generation_->fetch_add(1) + 1;
    picture_ = absolute(picture);
    clashes_.clear();
    const QString name = platform::fileNameOf(picture_);
    std::vector<Comparison> comparisons;
    for (qsizetype i = 0; i < folders.size(); ++i) {
        if (folders[i].isEmpty())
            continue;
        const QString path = platform::includeTrailingSeparator(absolute(folders[i])) + name;
        const QByteArray native = platform::encodePath(path);
        struct stat st {};
        // A missing folder, a folder that is a file, one we may not look into:
        // no file there to clash with. A folder of that name is no file either.
        if (::stat(native.constData(), &st) != 0 || S_ISDIR(st.st_mode))
            continue;
        Clash clash;
        clash.number = int(i) + 1;
        clash.path = path;
        clash.size = qint64(st.st_size);
        // Kept in UTC: local time is worked out only for the tooltip.
        clash.modified = QDateTime::fromMSecsSinceEpoch(
            qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000, Qt::UTC);
        clashes_.append(clash);
        comparisons.push_back({clash.number, native, st.st_dev, st.st_ino, clash.size});
    }
    emit changed();
    if (comparisons.empty())
        return;

    auto current = generation_;
    const Cancelled cancelled = [current, generation] { return current->load() != generation; };
    const QByteArray pictureNative = platform::encodePath(picture_);
    pool_.start(QRunnable::create(
        [this, cancelled, generation, pictureNative, comparisons = std::move(comparisons)] {
            if (cancelled())
                return;
            const Descriptor shown(pictureNative);
            struct stat st {};
            const bool readable = shown.fd() >= 0 && ::fstat(shown.fd(), &st) == 0;
            for (const Comparison& other : comparisons) {
                Clash::Content content = Clash::Content::Unreadable;
                if (readable) {
                    if (st.st_dev == other.device && st.st_ino == other.inode)
                        content = Clash::Content::Same; // the picture itself
                    else if (qint64(st.st_size) != other.size)
                        content = Clash::Content::Different;
                    else
                        content = compareBytes(shown.fd(), other.size, other, cancelled);
                }
                if (cancelled())
                    return;
                QMetaObject::invokeMethod(
                    this,
                    [this, generation, number = other.number, content] {
                        takeComparison(generation, number, content);
                    },
                    Qt::QueuedConnection);
            }
        }));
}

void ClashCheck::recheck(const QStringList& folders) {
    if (picture_.isEmpty())
        return;
    const QString picture = picture_;
    check(picture, folders);
}

void ClashCheck::clear() {
    generation_->fetch_add(1);
    const bool hadAny = !clashes_.isEmpty() || !picture_.isEmpty();
    picture_.clear();
    clashes_.clear();
    if (hadAny)
        emit changed();
}

const Clash* ClashCheck::clashAt(int number) const {
    for (const Clash& clash : clashes_)
        if (clash.number == number)
            return &clash;
    return nullptr;
}

bool ClashCheck::comparing() const {
    for (const Clash& clash : clashes_)
        if (clash.content == Clash::Content::Comparing)
            return true;
    return false;
}

void ClashCheck::takeComparison(quint64 generation, int number, Clash::Content content) {
    // A result for a picture no longer shown means nothing.
    if (generation != generation_->load())
        return;
    for (Clash& clash : clashes_) {
        if (clash.number == number) {
            clash.content = content;
            emit changed();
            return;
        }
    }
}
