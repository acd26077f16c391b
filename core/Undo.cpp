#include "core/Undo.h"

#include "core/Journal.h"
#include "platform/FileIdentity.h"
#include "platform/FileOps.h"
#include "platform/NativePath.h"
#include "platform/Paths.h"
#include "platform/Trash.h"

#include <cerrno>

namespace {

QString shown(const QString& path) {
    return platform::displayPath(path);
}

bool sameFile(const QString& path, const platform::FileIdentity& identity) {
    const std::optional<platform::FileIdentity> now = platform::identityOf(path);
    return now && *now == identity;
}

// Moves `from` back to `to` without replacing anything there: a rename within
// one file system, else a durable copy and then deleting `from`.
platform::FileResult moveBack(const QString& from, const QString& to) {
    const platform::FileResult renamed = platform::moveByRenaming(from, to, false);
    if (renamed || (renamed.error != EXDEV && renamed.error != EOPNOTSUPP))
        return renamed;
    if (const platform::FileResult copied = platform::copyFileNoReplace(from, to); !copied)
        return copied;
    if (const platform::FileResult deleted = platform::deleteFile(from); !deleted) {
        (void)platform::deleteFile(to);
        return deleted;
    }
    (void)platform::syncDirectory(platform::directoryOf(from));
    return platform::FileResult::success();
}

} // namespace

QString sortLogLine(int number, const QString& source, const QString& destination, bool move) {
    const QString format =
        move ? QStringLiteral("移動(%1): %2 → %3") : QStringLiteral("コピー(%1): %2 → %3");
    return format.arg(number).arg(source, destination);
}

UndoOutcome Undo::undoLast() {
    // Another running copy of the program may have sorted or undone meanwhile.
    (void)journal_.refresh();
    const std::vector<JournalEntry>& entries = journal_.entries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->undone || refused_.contains(it->id))
            continue;
        UndoOutcome outcome = undo(*it);
        if (outcome.state == UndoOutcome::State::Refused)
            refused_.insert(outcome.entry.id);
        return outcome;
    }
    return {};
}

UndoOutcome Undo::undo(const JournalEntry& entry) {
    UndoOutcome outcome;
    outcome.entry = entry;
    const auto refuse = [&outcome](const QString& problem) {
        outcome.state = UndoOutcome::State::Refused;
        outcome.problem = problem;
        return outcome;
    };
    const bool move = entry.method == SortMethod::Move;
    const bool olderAside = entry.older == OlderFile::Numbered || entry.older == OlderFile::Trashed;
    const bool olderWaiting = olderAside && platform::identityOf(entry.olderPath).has_value();

    if (sameFile(entry.destination, entry.written)) {
        const platform::FileResult result = move ? moveBack(entry.destination, entry.source)
                                                 : platform::deleteFile(entry.destination);
        if (!result && result.error == EEXIST)
            return refuse(NameTaken.arg(shown(entry.source), shown(entry.destination)));
        if (!result)
            return refuse(CannotUndo.arg(shown(entry.destination), result.errorText));
        if (!move)
            (void)platform::syncDirectory(platform::directoryOf(entry.destination));
    } else {
        // Not the file written: an undo a kill cut short got this far, or
        // the file changed, and then nothing is touched.
        const bool destinationGone = !platform::identityOf(entry.destination);
        const bool alreadyBack = move ? sameFile(entry.source, entry.written)
                                      : destinationGone || (olderAside && !olderWaiting);
        if (!alreadyBack)
            return refuse(ChangedSince.arg(shown(entry.destination)));
    }

    outcome.state = UndoOutcome::State::Done;
    outcome.logLine =
        UndoneLine.arg(sortLogLine(entry.number, entry.source, entry.destination, move));
    if (entry.older == OlderFile::Replaced)
        outcome.problem = ReplacedForGood.arg(shown(entry.destination));
    if (olderWaiting) {
        const platform::FileResult back =
            entry.older == OlderFile::Numbered
                ? platform::renameNoReplace(entry.olderPath, entry.destination)
                : platform::restoreFromTrash(entry.olderPath, entry.destination);
        if (!back)
            outcome.problem = OlderNotBack.arg(shown(entry.destination), shown(entry.olderPath));
        else if (entry.older == OlderFile::Numbered)
            (void)platform::syncDirectory(platform::directoryOf(entry.destination));
    }
    if (!journal_.markUndone(entry.id)) {
        const QString note = NotRecorded.arg(journal_.errorText());
        outcome.problem = outcome.problem.isEmpty() ? note : outcome.problem + u'\n' + note;
    }
    return outcome;
}
