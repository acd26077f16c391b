#pragma once

// The main window's message log: the newest lines only. Before a line is
// appended, lines are dropped from the top until at most 20 remain, so the log
// never holds more than 21.

#include <QStringList>

class MessageLog {
public:
    static constexpr int KeptLines = 20;

    // Appends `text`; a text with line breaks counts as several lines.
    void add(const QString& text);
    void clear() { lines_.clear(); }
    [[nodiscard]] const QStringList& lines() const { return lines_; }
    [[nodiscard]] QString text() const { return lines_.join(u'\n'); }

private:
    QStringList lines_;
};
