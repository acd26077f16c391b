#pragma once

// Base of the program's typed errors. The message is user-facing text, shown as
// it stands in the standard error box.

#include <QString>
#include <stdexcept>

class Exception : public std::runtime_error {
public:
    explicit Exception(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    [[nodiscard]] const QString& message() const { return message_; }

private:
    QString message_;
};
