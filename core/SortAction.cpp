#include "core/SortAction.h"

#include "core/Prompter.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "settings/SettingsSchema.h"

#include <cerrno>
#include <optional>

namespace {

QString copyLine(int number, const QString& source, const QString& destination, bool move) {
    const QString format =
        move ? QStringLiteral("移動(%1): %2 → %3") : QStringLiteral("コピー(%1): %2 → %3");
    return format.arg(number).arg(source, destination);
}

// The smallest n ≥ `from` whose numbered name is free.
int firstFreeNumber(const QString& path, int from) {
    int n = from;
    while (platform::fileExists(NumberedFileName(path, n)))
        ++n;
    return n;
}

} // namespace

QString NumberedFileName(const QString& path, int n) {
    const qsizetype nameStart = path.lastIndexOf(platform::PathSeparator) + 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    const qsizetype extensionStart = dot >= nameStart ? dot : path.size();
    return path.left(extensionStart) + QStringLiteral("%1").arg(n, 2, 10, QChar(u'0')) +
           path.mid(extensionStart);
}

SortAction::SortAction(Prompter& prompter, std::function<int()> overwritePolicy)
    : prompter_(prompter), overwritePolicy_(std::move(overwritePolicy)) {}

SortResult SortAction::run(const SortRequest& request) {
    if (request.fileName.isEmpty())
        return {};
    if (request.destinationDirectory.isEmpty()) {
        prompter_.warning(NoDestination);
        return {};
    }
    const QString directory = platform::includeTrailingSeparator(request.destinationDirectory);
    if (!platform::directoryExists(directory)) {
        if (!prompter_.confirm(AskCreateDirectory))
            return {};
        if (!platform::createDirectory(directory)) {
            prompter_.warning(CannotCreateDirectory);
            return {};
        }
    }

    QString destination = directory + request.fileName;
    const QString source = request.sourceDirectory + request.fileName;
    if (platform::fileExists(destination) && !settleNameClash(destination))
        return {};

    if (request.move) {
        if (!moveFile(source, destination, request.sourceDirectory, directory))
            return {};
    } else if (!platform::copyFileReplacing(source, destination)) {
        prompter_.warning(CopyFailed);
        return {};
    }
    return {true, copyLine(request.number, source, destination, request.move)};
}

bool SortAction::moveFile(const QString& source, const QString& destination,
                          const QString& sourceFolder, const QString& destinationFolder) {
    // A move that replaces a file keeps the older one until the move completed:
    // a move that cannot complete puts it back.
    std::optional<platform::KeptFile> older;
    if (platform::fileExists(destination)) {
        older = platform::KeptFile::keep(destination);
        if (!older) {
            prompter_.warning(CopyFailed);
            return false;
        }
    }
    const bool moved = renameOrCopy(source, destination, sourceFolder, destinationFolder, older);
    if (older) {
        if (moved)
            older->release();
        else
            (void)older->restore();
    }
    return moved;
}

bool SortAction::renameOrCopy(const QString& source, const QString& destination,
                              const QString& sourceFolder, const QString& destinationFolder,
                              const std::optional<platform::KeptFile>& older) {
    // Within one file system the picture only changes its name. A kept older
    // file that stepped aside has left the name free, so nothing is replaced then.
    const bool replace = older && !older->steppedAside();
    const platform::FileResult renamed = platform::moveByRenaming(source, destination, replace);
    if (renamed)
        return true;
    const int err = renamed.error;
    const bool refused = err == EACCES || err == EPERM || err == EROFS;
    if (refused && platform::folderWritable(destinationFolder) &&
        !platform::folderWritable(sourceFolder)) {
        // The source cannot leave its folder, as deleting it would fail.
        prompter_.warning(DeleteFailed);
        return false;
    }
    if (err != EXDEV && err != EOPNOTSUPP && !refused) {
        prompter_.warning(CopyFailed);
        return false;
    }
    // Another file system, or a refusal the copy and the delete each explain:
    // the source goes only once the copy is on disk (data and folder entry).
    if (!platform::copyFileReplacing(source, destination)) {
        prompter_.warning(CopyFailed);
        return false;
    }
    if (!platform::deleteFile(source)) {
        // A kept older file is put back over the copy; otherwise the copy goes.
        if (!older)
            (void)platform::deleteFile(destination);
        prompter_.warning(DeleteFailed);
        return false;
    }
    return true;
}

bool SortAction::settleNameClash(QString& destination) {
    switch (overwritePolicy_()) {
    case opConfirm:
        return prompter_.confirm(AskOverwrite);
    case opNumberNew:
        destination = NumberedFileName(destination, firstFreeNumber(destination, 1));
        return true;
    case opNumberOld:
        if (numberOldFile(destination))
            return true;
        prompter_.warning(CannotRename);
        return false;
    default:
        prompter_.warning(InternalError);
        return false;
    }
}

bool SortAction::numberOldFile(const QString& destination) {
    // The rename never replaces: a file that takes the numbered name between
    // the search and the rename only moves us on to the next number.
    for (int n = firstFreeNumber(destination, 1);; n = firstFreeNumber(destination, n + 1)) {
        const platform::FileResult renamed =
            platform::renameNoReplace(destination, NumberedFileName(destination, n));
        if (renamed)
            return true;
        if (renamed.error != EEXIST)
            return false;
    }
}
