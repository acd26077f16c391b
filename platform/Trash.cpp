#include "platform/Trash.h"

#include "platform/NativePath.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>

namespace platform {

namespace {

// Qt spells paths in UTF-8 only: true when `path` needs nothing else.
bool qtCanSpell(const QString& path) {
    return QFile::encodeName(path) == encodePath(path);
}

} // namespace

std::optional<QString> moveToTrash(const QString& path, QString* error) {
    // A name in another encoding steps aside under its shown form first; the
    // trash lists it by that name, and undo still puts the original bytes back.
    QString spelled = path;
    if (!qtCanSpell(path)) {
        spelled = directoryOf(path) + displayPath(fileNameOf(path));
        const FileResult aside =
            qtCanSpell(spelled) ? renameNoReplace(path, spelled) : FileResult::failure(EILSEQ);
        if (!aside) {
            if (error)
                *error = aside.errorText;
            return std::nullopt;
        }
    }
    // Qt makes the home trash only inside an existing data folder, which a
    // fresh account may not have yet.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QString inTrash;
    QFile file(spelled);
    if (!file.moveToTrash()) {
        if (error)
            *error = file.errorString();
        if (spelled != path)
            (void)renameNoReplace(spelled, path);
        return std::nullopt;
    }
    inTrash = file.fileName();
    // Qt does not flush: the file's new place and its old folder's loss go to disk.
    (void)syncDirectory(directoryOf(inTrash));
    (void)syncDirectory(directoryOf(path));
    return decodePath(QFile::encodeName(inTrash));
}

FileResult restoreFromTrash(const QString& trashedPath, const QString& path) {
    FileResult back = renameNoReplace(trashedPath, path);
    if (!back)
        return back;
    // ".../Trash/files/NAME" is listed in ".../Trash/info/NAME.trashinfo".
    const QString trashRoot = directoryOf(excludeTrailingSeparator(directoryOf(trashedPath)));
    (void)deleteFile(trashRoot + QStringLiteral("info/") + fileNameOf(trashedPath) +
                     QStringLiteral(".trashinfo"));
    return syncDirectory(directoryOf(path));
}

} // namespace platform
