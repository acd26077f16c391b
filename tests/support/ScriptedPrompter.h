#pragma once

#include "core/Prompter.h"
#include "support/QtPrinters.h"

#include <QStringList>
#include <deque>

// A prompter for tests: records every message and answers from queues. An
// unexpected question fails loudly instead of blocking on a modal box.
class ScriptedPrompter final : public Prompter {
public:
    QStringList warnings;
    QStringList confirmations;
    QStringList errors;
    QStringList inputPrompts;
    QStringList inputInitials;
    QList<int> inputMaxLengths;
    std::deque<bool> confirmAnswers;
    std::deque<std::optional<QString>> inputAnswers;

    void warning(const QString& text) override { warnings.append(text); }
    bool confirm(const QString& text) override {
        confirmations.append(text);
        if (confirmAnswers.empty())
            qFatal("unexpected confirmation: %s", qPrintable(text));
        const bool answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }
    void error(const QString& caption, const QString& text) override {
        errors.append(caption + u'|' + text);
    }
    std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                     const QString& initial, int maxLength) override {
        inputPrompts.append(caption + u'|' + prompt);
        inputInitials.append(initial);
        inputMaxLengths.append(maxLength);
        if (inputAnswers.empty())
            qFatal("unexpected input box: %s", qPrintable(prompt));
        auto answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer;
    }
};
