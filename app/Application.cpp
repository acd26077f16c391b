#include "app/Application.h"

#include "core/Prompter.h"
#include "platform/Exception.h"

#include <cstdio>

QString messageOf(const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error))
        return own->message();
    return QString::fromLocal8Bit(error.what());
}

bool deliverGuarded(const std::function<bool()>& deliver,
                    const std::function<void(const std::exception&)>& report) {
    try {
        return deliver();
    } catch (const std::exception& error) {
        report(error);
    } catch (...) {
        report(std::runtime_error("unknown error"));
    }
    return true;
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void TApplication::ShowException(const std::exception& error) {
    const QString text = messageOf(error);
    std::fprintf(stderr, "%s\n", qPrintable(text));
    if (prompter_)
        prompter_->error(Title, text);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    return deliverGuarded([&] { return QApplication::notify(receiver, event); },
                          [this](const std::exception& error) { ShowException(error); });
}
