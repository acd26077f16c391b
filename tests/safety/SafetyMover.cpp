// Moves one file through the program's sorting action, the way a digit key does,
// so that a test can kill it with SIGKILL in the middle.
//
//   sorteka-safety-mover SOURCE_FOLDER FILE_NAME DESTINATION_FOLDER
//
// Prints "moving" just before the move starts. Answers yes to the question a
// name clash asks, so an existing destination file is replaced. Exits 0 when
// the move completed.

#include "core/Prompter.h"
#include "core/SortAction.h"
#include "settings/SettingsSchema.h"

#include <QCoreApplication>
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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: %s SOURCE_FOLDER FILE_NAME DESTINATION_FOLDER\n", argv[0]);
        return 2;
    }
    YesPrompter prompter;
    SortAction action(prompter, [] { return int(opConfirm); }); // asks; the answer is yes
    const SortRequest request{1, arguments[3], arguments[1] + u'/', arguments[2], true};

    std::printf("moving\n");
    std::fflush(stdout);
    return action.run(request).done ? 0 : 1;
}
