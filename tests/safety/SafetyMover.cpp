// Sorts through the program's sorting action, the way a digit key does, so
// that a test can kill it with SIGKILL in the middle.
//
//   sorteka-safety-mover SOURCE_FOLDER FILE_NAME DESTINATION_FOLDER
//       moves one file, answering yes when a name clash asks;
//   sorteka-safety-mover --sort-all SOURCE_FOLDER DESTINATION_FOLDER
//       moves every file of the folder in name order, recording each in the
//       undo journal; the n-th file (from 0) meets name clash policy n % 3;
//   sorteka-safety-mover --undo-all
//       undoes every action the journal holds, newest first.
//
// Prints "moving" (or "undoing") just before the work starts. Exits 0 when
// all of it completed.

#include "core/Journal.h"
#include "core/Prompter.h"
#include "core/SortAction.h"
#include "core/Undo.h"
#include "settings/SettingsSchema.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

namespace {

class YesPrompter final : public Prompter {
public:
    void warning(const QString& text) override {
        std::fprintf(stderr, "warning: %s\n", qPrintable(text));
    }
    bool confirm(const QString&) override { return true; }
    void error(const QString& caption, const QString& text) override {
        std::fprintf(stderr, "error: %s: %s\n", qPrintable(caption), qPrintable(text));
    }
    std::optional<QString> inputText(const QString&, const QString&, const QString&, int) override {
        return std::nullopt;
    }
};

void announce(const char* what) {
    std::printf("%s\n", what);
    std::fflush(stdout);
}

int sortAll(const QString& source, const QString& destination) {
    YesPrompter prompter;
    Journal journal(Journal::defaultPath());
    int policy = opConfirm;
    SortAction action(prompter, [&policy] { return policy; });
    action.setJournal(&journal);
    const QStringList names = QDir(source).entryList(QDir::Files, QDir::Name);
    announce("moving");
    for (qsizetype i = 0; i < names.size(); ++i) {
        policy = int(i % 3);
        const SortResult result = action.run({1, destination, source + u'/', names[i], true});
        if (!result.done || !result.notice.isEmpty())
            return 1;
    }
    return 0;
}

int undoAll() {
    Journal journal(Journal::defaultPath());
    Undo undo(journal);
    announce("undoing");
    for (;;) {
        const UndoOutcome outcome = undo.undoLast();
        if (outcome.state == UndoOutcome::State::Nothing)
            return 0;
        if (outcome.state == UndoOutcome::State::Refused || !outcome.problem.isEmpty()) {
            std::fprintf(stderr, "undo: %s\n", qPrintable(outcome.problem));
            return 1;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 4 && arguments[1] == u"--sort-all")
        return sortAll(arguments[2], arguments[3]);
    if (arguments.size() == 2 && arguments[1] == u"--undo-all")
        return undoAll();
    if (arguments.size() != 4) {
        std::fprintf(stderr,
                     "usage: %s SOURCE_FOLDER FILE_NAME DESTINATION_FOLDER\n"
                     "       %s --sort-all SOURCE_FOLDER DESTINATION_FOLDER\n"
                     "       %s --undo-all\n",
                     argv[0], argv[0], argv[0]);
        return 2;
    }
    YesPrompter prompter;
    SortAction action(prompter, [] { return int(opConfirm); }); // asks; the answer is yes
    const SortRequest request{1, arguments[3], arguments[1] + u'/', arguments[2], true};

    announce("moving");
    return action.run(request).done ? 0 : 1;
}
