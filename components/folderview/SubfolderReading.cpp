#include "components/folderview/SubfolderReading.h"

#include <QFile>
#include <algorithm>
#include <dirent.h>
#include <memory>
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

void sortFolderNames(QStringList& names) {
    // One folded key per name, so a big folder is not folded again at every comparison.
    std::vector<std::pair<QString, qsizetype>> keys;
    keys.reserve(names.size());
    for (qsizetype i = 0; i < names.size(); ++i)
        keys.emplace_back(names[i].toCaseFolded(), i);
    std::sort(keys.begin(), keys.end(), [&names](const auto& a, const auto& b) {
        if (a.first != b.first)
            return a.first < b.first;
        return names[a.second] < names[b.second];
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const auto& key : keys)
        sorted << names[key.second];
    names = std::move(sorted);
}

} // namespace folderview
