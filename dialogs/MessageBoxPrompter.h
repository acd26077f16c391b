#pragma once

#include "core/Prompter.h"

class QWidget;

// The prompter a person sees: modal message boxes centred on the screen.
class MessageBoxPrompter final : public Prompter {
public:
    void warning(const QString& text) override;
    bool confirm(const QString& text) override;
    void error(const QString& caption, const QString& text) override;
    std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                     const QString& initial, int maxLength) override;
};
