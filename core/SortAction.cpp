#include "core/SortAction.h"

#include "core/Journal.h"
#include "core/Prompter.h"
#include "core/Undo.h"
#include "platform/FileIdentity.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "settings/SettingsSchema.h"

#include <cerrno>
#include <optional>

namespace {

QString absolutePath(const QString& path) {
    return path.startsWith(platform::PathSeparator)
               ? path
               : platform::joinPath(platform::currentDirectory(), path);
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
    OlderFile older = OlderFile::None;
    QString olderPath;
    if (platform::fileExists(destination) && !settleNameClash(destination, older, olderPath))
        return {};
    // The picture itself at that name (the destination is its own folder) is
    // left to the copy or move to refuse, as it always was.
    if (older == OlderFile::Replaced &&
        platform::identityOf(destination) != platform::identityOf(source)) {
        // The file the user agreed to replace goes to the trash, not away:
        // undo brings it back. Without a trash it is replaced as it always was.
        if (const std::optional<QString> trashed = platform::moveToTrash(destination)) {
            older = OlderFile::Trashed;
            olderPath = *trashed;
        }
    }

    bool done = false;
    if (request.move) {
        done = moveFile(source, destination, request.sourceDirectory, directory);
    } else {
        done = bool(platform::copyFileReplacing(source, destination));
        if (!done)
            prompter_.warning(CopyFailed);
    }
    if (!done) {
        if (older == OlderFile::Trashed)
            (void)platform::restoreFromTrash(olderPath, destination);
        return {};
    }
    return {true, sortLogLine(request.number, source, destination, request.move),
            record(request, source, destination, older, olderPath)};
}

QString SortAction::record(const SortRequest& request, const QString& source,
                           const QString& destination, OlderFile older, const QString& olderPath) {
    if (!journal_)
        return {};
    JournalEntry entry;
    entry.number = request.number;
    entry.method = request.move ? SortMethod::Move : SortMethod::Copy;
    // Absolute, as the journal outlives the current directory.
    entry.source = absolutePath(source);
    entry.destination = absolutePath(destination);
    entry.older = older;
    entry.olderPath = olderPath;
    entry.written = platform::identityOf(destination).value_or(platform::FileIdentity{});
    if (journal_->append(entry))
        return {};
    return QStringLiteral("元に戻すための記録を書けませんでした: %1").arg(journal_->errorText());
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

bool SortAction::settleNameClash(QString& destination, OlderFile& older, QString& olderPath) {
    switch (overwritePolicy_()) {
    case opConfirm:
        if (!prompter_.confirm(AskOverwrite))
            return false;
        older = OlderFile::Replaced;
        return true;
    case opNumberNew:
        destination = NumberedFileName(destination, firstFreeNumber(destination, 1));
        return true;
    case opNumberOld:
        if (numberOldFile(destination, olderPath)) {
            older = OlderFile::Numbered;
            return true;
        }
        prompter_.warning(CannotRename);
        return false;
    default:
        prompter_.warning(InternalError);
        return false;
    }
}

bool SortAction::numberOldFile(const QString& destination, QString& numbered) {
    // The rename never replaces: a file that takes the numbered name between
    // the search and the rename only moves us on to the next number.
    for (int n = firstFreeNumber(destination, 1);; n = firstFreeNumber(destination, n + 1)) {
        numbered = NumberedFileName(destination, n);
        const platform::FileResult renamed = platform::renameNoReplace(destination, numbered);
        if (renamed)
            return true;
        if (renamed.error != EEXIST)
            return false;
    }
}
