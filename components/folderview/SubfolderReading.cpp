#include "components/folderview/SubfolderReading.h"

#include <QFile>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace folderview {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool isFolderEntry(int folderFd, const dirent& entry) {
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat status {};
    return ::fstatat(folderFd, entry.d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
}

// Most folder names are plain ASCII, where Latin-1 gives the same text as the
// locale's decoding at a fraction of the cost.
QString decodedName(const char* name) {
    const size_t length = std::strlen(name);
    const bool ascii = std::all_of(name, name + length,
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii ? QString::fromLatin1(name, qsizetype(length)) : QFile::decodeName(name);
}

} // namespace

QStringList readSubfolderNames(const QString& folderPath, bool stopAtFirst) {
    QStringList names;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(QFile::encodeName(folderPath).constData()));
    if (!dir)
        return names;
    const int fd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.' || !isFolderEntry(fd, *entry))
            continue;
        names << decodedName(entry->d_name);
        if (stopAtFirst)
            break;
    }
    return names;
}

std::optional<FolderId> folderIdOf(const QString& folderPath) {
    struct stat status {};
    if (::stat(QFile::encodeName(folderPath).constData(), &status) != 0)
        return std::nullopt;
    return FolderId{status.st_dev, status.st_ino};
}

namespace {

// A name's place without regard to case, appended to `keys` as bytes that
// compare with memcmp: folded UTF-8, whose byte order is code-point order.
// Plain ASCII names (most folders) are folded without going through a QString.
void appendFoldedKey(const QString& name, std::string& keys) {
    const size_t start = keys.size();
    for (const QChar c : name) {
        const char16_t unit = c.unicode();
        if (unit >= 0x80) {
            keys.resize(start);
            keys += name.toCaseFolded().toStdString();
            return;
        }
        keys.push_back(unit >= 'A' && unit <= 'Z' ? char(unit + ('a' - 'A')) : char(unit));
    }
}

// One name's folded key within the shared buffer, led by eight of its bytes
// as a number: most comparisons end there without touching the buffer.
struct SortKey {
    std::uint64_t head = 0;
    size_t offset = 0;
    size_t length = 0;
    qsizetype index = 0;
};

// Eight bytes of `key` from `from` on, the first one highest; missing bytes
// are zero, which sorts a shorter key first since names hold no zero byte.
std::uint64_t headOf(std::string_view key, size_t from) {
    std::uint64_t head = 0;
    for (size_t i = 0; i < 8; ++i)
        head =
            (head << 8) | (from + i < key.size() ? static_cast<unsigned char>(key[from + i]) : 0U);
    return head;
}

} // namespace

void sortFolderNames(QStringList& names) {
    // Every key is folded once, into one buffer, so a big folder is neither
    // folded again at every comparison nor allocated name by name.
    std::string buffer;
    std::vector<SortKey> keys(size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        SortKey& key = keys[size_t(i)];
        key.offset = buffer.size();
        appendFoldedKey(names[i], buffer);
        key.length = buffer.size() - key.offset;
        key.index = i;
    }
    const auto keyOf = [&buffer](const SortKey& key) {
        return std::string_view(buffer).substr(key.offset, key.length);
    };
    // Names in one folder often share a start ("IMG_", "2024-"); the heads
    // are taken after it, where the names differ.
    const std::string_view first = keys.empty() ? std::string_view() : keyOf(keys.front());
    size_t shared = first.size();
    for (const SortKey& key : keys) {
        const std::string_view other = keyOf(key);
        const size_t limit = std::min(shared, other.size());
        size_t same = 0;
        while (same < limit && first[same] == other[same])
            ++same;
        shared = same;
    }
    for (SortKey& key : keys)
        key.head = headOf(keyOf(key), shared);
    std::sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
        if (a.head != b.head)
            return a.head < b.head;
        const int order = keyOf(a).compare(keyOf(b));
        if (order != 0)
            return order < 0;
        // Names that differ only in case keep a fixed order.
        return names[a.index] < names[b.index];
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const SortKey& key : keys)
        sorted << std::move(names[key.index]);
    names = std::move(sorted);
}

} // namespace folderview
