#pragma once

// Every question, warning and input box of the program goes through this one
// interface, so the windows' logic runs unchanged under a test that scripts the
// answers.

#include <QString>
#include <optional>

class Prompter {
public:
    virtual ~Prompter() = default;

    // Warning box: caption "警告", one button "OK".
    virtual void warning(const QString& text) = 0;
    // Confirmation box: caption "確認", "はい(&Y)" (default) and "いいえ(&N)"
    // (also Esc). True only for yes.
    virtual bool confirm(const QString& text) = 0;
    // The standard error box for an error that reached the event loop.
    virtual void error(const QString& caption, const QString& text) = 0;
    // A one-line input box; nothing when cancelled.
    virtual std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                             const QString& initial, int maxLength) = 0;
};
