#include "components/folderview/SubfolderReading.h"

#include <QFile>
#include <algorithm>
#include <dirent.h>
#include <memory>
#include <string>
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
        names << QFile::decodeName(entry->d_name);
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

// A name's place without regard to case, as bytes that compare with memcmp:
// folded UTF-8, whose byte order is code-point order. Plain ASCII names (most
// folders) are folded without going through a QString.
std::string foldedKey(const QString& name) {
    std::string key;
    key.reserve(size_t(name.size()));
    for (const QChar c : name) {
        const char16_t unit = c.unicode();
        if (unit >= 0x80)
            return name.toCaseFolded().toStdString();
        key.push_back(unit >= 'A' && unit <= 'Z' ? char(unit + ('a' - 'A')) : char(unit));
    }
    return key;
}

} // namespace

void sortFolderNames(QStringList& names) {
    // One key per name, so a big folder is not folded again at every comparison.
    std::vector<std::pair<std::string, qsizetype>> keys;
    keys.reserve(size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i)
        keys.emplace_back(foldedKey(names[i]), i);
    std::sort(keys.begin(), keys.end(), [&names](const auto& a, const auto& b) {
        const int order = a.first.compare(b.first);
        if (order != 0)
            return order < 0;
        return names[a.second] < names[b.second];
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const auto& key : keys)
        sorted << names[key.second];
    names = std::move(sorted);
}

} // namespace folderview
