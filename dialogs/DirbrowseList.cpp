#include "dialogs/DirbrowseList.h"

#include "platform/DirectoryEnumeration.h"
#include "platform/Paths.h"

#include <algorithm>

QStringList directoryChain(const QString& dir) {
    QStringList chain{QString(platform::PathSeparator)};
    QString path;
    for (const QString& part : dir.split(platform::PathSeparator, Qt::SkipEmptyParts)) {
        path += platform::PathSeparator + part;
        chain << path;
    }
    return chain;
}

QStringList sortedDirectoryNames(QStringList names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

std::vector<DirListEntry> dirListEntries(const QString& current, const QStringList& childNames) {
    std::vector<DirListEntry> entries;
    const QStringList chain = directoryChain(current);
    for (int level = 0; level < chain.size(); ++level) {
        const QString& path = chain[level];
        const bool isCurrent = level == chain.size() - 1;
        entries.push_back({level == 0 ? path : platform::fileNameOf(path), path, level,
                           isCurrent ? DirEntryKind::CurrentFolder : DirEntryKind::OpenFolder});
    }
    const QString& shown = chain.back();
    const int childLevel = static_cast<int>(chain.size());
    for (const QString& name : childNames)
        entries.push_back(
            {name, platform::joinPath(shown, name), childLevel, DirEntryKind::ClosedFolder});
    return entries;
}

QStringList visibleSubdirectories(const QString& dir) {
    const platform::AttributeRule rule{.directories = true, .hidden = false, .system = false};
    QStringList names;
    if (auto enumeration = platform::DirectoryEnumeration::open(dir, rule)) {
        while (const auto entry = enumeration->next()) {
            if (entry->isDirectory)
                names << entry->name;
        }
    }
    return sortedDirectoryNames(names);
}

QString newDirectoryPath(const QString& current, const QString& name) {
    return platform::includeTrailingSeparator(current) + name;
}
