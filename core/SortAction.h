#pragma once

// Sends the current picture to one destination folder: creates a missing folder
// after asking, settles a name clash by the overwrite policy, then copies or
// moves. Within one file system a move is a rename; across file systems it is
// a durable copy followed by deleting the source. Either way the picture exists
// whole exactly once at every moment. A file replaced at the user's word goes
// to the desktop's trash first, and comes back when the sort fails. Each
// completed sort is recorded in the undo journal before it reports done.

#include "core/JournalRecord.h"
#include "platform/FileOps.h"

#include <QString>
#include <functional>
#include <optional>

class Journal;
class Prompter;

struct SortRequest {
    int number = 0;               // destination 1 … 9
    QString destinationDirectory; // as the destination list shows it
    QString sourceDirectory;      // ends with "/"
    QString fileName;             // the current picture, no folder part
    bool move = false;
};

struct SortResult {
    bool done = false; // the picture was copied or moved; go on to the next
    QString logLine;   // the line for the message log when done
    QString notice;    // a further line when the journal could not record it
};

// `path` with "%02d" of `n` put before its extension: the part from the last
// "." of the name after the last "/". "x.tar.gz", 1 -> "x.tar01.gz";
// "README", 3 -> "README03"; "/a.b/photo", 2 -> "/a.b/photo02"; 123 -> "123".
[[nodiscard]] QString NumberedFileName(const QString& path, int n);

class SortAction {
public:
    static inline const QString AskCreateDirectory =
        QStringLiteral("ディレクトリが存在していません\n作成しますか？");
    static inline const QString CannotCreateDirectory =
        QStringLiteral("ディレクトリが作成できませんでした");
    static inline const QString AskOverwrite =
        QStringLiteral("ファイルがすでに存在しています\n上書きしますか?");
    static inline const QString CannotRename = QStringLiteral("ファイル名を変更できませんでした");
    static inline const QString InternalError = QStringLiteral("内部エラーです");
    static inline const QString CopyFailed = QStringLiteral("ファイルのコピーに失敗しました");
    static inline const QString DeleteFailed = QStringLiteral("ファイルの削除に失敗しました");
    static inline const QString NoDestination =
        QStringLiteral("保存先のディレクトリが設定されていません\nオプションで設定してください");

    // `overwritePolicy` reads the policy at the moment of a name clash; a
    // settings error it raises ends the action.
    SortAction(Prompter& prompter, std::function<int()> overwritePolicy);

    // Where completed sorts are recorded; none records nothing.
    void setJournal(Journal* journal) { journal_ = journal; }

    SortResult run(const SortRequest& request);

private:
    // Settles a clash at `destination`, saying what became of the file there
    // in `older` and `olderPath`; false stops the action.
    bool settleNameClash(QString& destination, OlderFile& older, QString& olderPath);
    bool numberOldFile(const QString& destination, QString& numbered);
    // Records the completed sort; the text of a failure, else nothing.
    QString record(const SortRequest& request, const QString& source, const QString& destination,
                   OlderFile older, const QString& olderPath);
    // Moves the picture, keeping a file it replaces until then; false after a warning.
    bool moveFile(const QString& source, const QString& destination, const QString& sourceFolder,
                  const QString& destinationFolder);
    bool renameOrCopy(const QString& source, const QString& destination,
                      const QString& sourceFolder, const QString& destinationFolder,
                      const std::optional<platform::KeptFile>& older);

    Prompter& prompter_;
    std::function<int()> overwritePolicy_;
    Journal* journal_ = nullptr;
};
