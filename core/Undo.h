#pragma once

// Undoes completed sorts from the journal, newest first, back through earlier
// runs. Nothing is ever replaced or destroyed by an undo: a copy is deleted
// only while the file at its name is still the one written, a moved picture
// goes back only to a free name, and a file that meanwhile took a name stays.
// Each step can be repeated after a kill: an undo cut short is finished by the
// next one.

#include "core/JournalRecord.h"

#include <QSet>
#include <QString>

class Journal;

struct UndoOutcome {
    enum class State {
        Nothing, // no action left to undo
        Done,    // the picture is back; `problem` may say what could not follow it
        Refused, // nothing changed; `problem` says why
    };
    State state = State::Nothing;
    JournalEntry entry; // the action undone or refused
    QString logLine;    // for the message log when done
    QString problem;    // for a warning, when not empty
};

class Undo {
public:
    static inline const QString UndoneLine = QStringLiteral("元に戻しました: %1");
    static inline const QString NothingToUndo = QStringLiteral("元に戻す操作はありません");
    static inline const QString ChangedSince =
        QStringLiteral("%1 は整理の後で変更されたか、なくなっています\n元に戻せません");
    static inline const QString NameTaken =
        QStringLiteral("%1 には別のファイルがあります\n%2 はそのままにしました");
    static inline const QString CannotUndo = QStringLiteral("元に戻せませんでした\n%1: %2");
    static inline const QString OlderNotBack =
        QStringLiteral("前からあったファイルを %1 に戻せませんでした\n%2 にあります");
    static inline const QString ReplacedForGood =
        QStringLiteral("%1 にあったファイルは置き換えたときにごみ箱に移せなかったため、戻せません");
    static inline const QString NotRecorded =
        QStringLiteral("元に戻したことを記録できませんでした\n%1");

    explicit Undo(Journal& journal) : journal_(journal) {}

    // Undoes the newest action neither undone nor refused in this run.
    UndoOutcome undoLast();

private:
    UndoOutcome undo(const JournalEntry& entry);

    Journal& journal_;
    QSet<quint64> refused_; // passed over from now on, tried again in the next run
};

// The log line of a sort: "コピー(N): SOURCE → DESTINATION" or "移動(N): …".
[[nodiscard]] QString sortLogLine(int number, const QString& source, const QString& destination,
                                  bool move);
