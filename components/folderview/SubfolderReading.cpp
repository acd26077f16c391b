#include "components/folderview/SubfolderReading.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <limits>
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

// One name's place in the order: eight bytes of its folded key as a number,
// the first byte highest, and the name's position. Most comparisons end at
// the number without touching the keys; small entries move quickly.
struct SortEntry {
    std::uint64_t head = 0;
    std::uint32_t index = 0;
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

// Orders the entries by their numbers a byte at a time, lowest byte first
// (a radix sort): a few passes over the entries instead of a comparison
// sort's many unpredictable branches. Bytes that are the same in every entry
// (the padding of short names) cost no pass.
void sortByHead(std::vector<SortEntry>& entries) {
    std::vector<SortEntry> spare(entries.size());
    for (int shift = 0; shift < 64; shift += 8) {
        std::array<size_t, 257> starts{};
        for (const SortEntry& entry : entries)
            ++starts[((entry.head >> shift) & 0xff) + 1];
        if (std::find(starts.begin(), starts.end(), entries.size()) != starts.end())
            continue;
        for (size_t i = 1; i < starts.size(); ++i)
            starts[i] += starts[i - 1];
        for (const SortEntry& entry : entries)
            spare[starts[(entry.head >> shift) & 0xff]++] = entry;
        entries.swap(spare);
    }
}

} // namespace

void sortFolderNames(QStringList& names) {
    // A folder never holds this many entries; the positions below fit 32 bits.
    if (names.size() > qsizetype(std::numeric_limits<std::uint32_t>::max()))
        return;
    // Every key is folded once, into one buffer, so a big folder is neither
    // folded again at every comparison nor allocated name by name.
    std::string buffer;
    std::vector<size_t> ends(size_t(names.size()));
    for (size_t i = 0; i < ends.size(); ++i) {
        appendFoldedKey(names[qsizetype(i)], buffer);
        ends[i] = buffer.size();
    }
    const auto keyOf = [&](std::uint32_t index) {
        const size_t start = index == 0 ? 0 : ends[index - 1];
        return std::string_view(buffer).substr(start, ends[index] - start);
    };
    // Names in one folder often share a start ("IMG_", "2024-"); the numbers
    // are taken after it, where the names differ.
    const std::string_view first = ends.empty() ? std::string_view() : keyOf(0);
    size_t shared = first.size();
    for (std::uint32_t i = 0; i < ends.size(); ++i) {
        const std::string_view other = keyOf(i);
        const size_t limit = std::min(shared, other.size());
        size_t same = 0;
        while (same < limit && first[same] == other[same])
            ++same;
        shared = same;
    }
    std::vector<SortEntry> entries(ends.size());
    for (std::uint32_t i = 0; i < entries.size(); ++i)
        entries[i] = {headOf(keyOf(i), shared), i};
    sortByHead(entries);
    // Names whose numbers are equal are ordered by their whole keys.
    const auto fullOrder = [&](const SortEntry& a, const SortEntry& b) {
        const int order = keyOf(a.index).compare(keyOf(b.index));
        if (order != 0)
            return order < 0;
        // Names that differ only in case keep a fixed order.
        return names.at(a.index) < names.at(b.index);
    };
    for (auto run = entries.begin(); run != entries.end();) {
        const auto end = std::find_if(
            run, entries.end(), [&](const SortEntry& entry) { return entry.head != run->head; });
        if (end - run > 1)
            std::sort(run, end, fullOrder);
        run = end;
    }
    QStringList sorted;
    sorted.reserve(names.size());
    QString* const unsorted = names.data();
    for (const SortEntry& entry : entries)
        sorted << std::move(unsorted[entry.index]);
    names = std::move(sorted);
}

} // namespace folderview
