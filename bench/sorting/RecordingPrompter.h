#pragma once

// A prompter for benchmark runs: answers every question with yes and keeps
// every message, so a run never blocks and a failed step can be reported.

#include "core/Prompter.h"

#include <QStringList>

class RecordingPrompter final : public Prompter {
public:
    QStringList messages;

    void warning(const QString& text) override { messages.append(text); }
    bool confirm(const QString& text) override {
        messages.append(text);
        return true;
    }
    void error(const QString& caption, const QString& text) override {
        messages.append(caption + u'|' + text);
    }
    std::optional<QString> inputText(const QString&, const QString& prompt, const QString&,
                                     int) override {
        messages.append(prompt);
        return std::nullopt;
    }
};
