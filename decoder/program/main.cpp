// sorteka-decoder: decodes pictures for the sorter in a process of its own, so
// that no plug-in can take the sorter down. Started by the sorter with the
// socket to talk over:  sorteka-decoder --socket <descriptor>

#include "decoder/program/DecoderService.h"

#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    int socket = -1;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--socket") == 0) {
            char* end = nullptr;
            const long value = std::strtol(argv[i + 1], &end, 10);
            socket = *end == '\0' && value > 2 && value < 65536 ? int(value) : -1;
        }
    }
    if (socket < 0) {
        std::fputs("usage: sorteka-decoder --socket <descriptor>\n", stderr);
        return decoder::ExitUsage;
    }
    // A sorter gone mid-answer is noticed as a failed write, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    // Metafiles are drawn with Qt's painter, which needs a GUI application;
    // nothing is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    return decoder::runDecoderService(socket);
}
