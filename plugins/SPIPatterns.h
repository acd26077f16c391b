#pragma once

// Text rules for plug-in file patterns and the names they are matched against.

#include <QRegularExpression>
#include <QString>

namespace plugins {

// The extension of `name` with its dot: the text from the last "." to the end,
// provided no "/" follows that dot; otherwise empty. "*.jpg;*.jpeg" gives
// ".jpeg", so a pattern list counts by its last pattern.
[[nodiscard]] QString extensionWithDot(const QString& name);

// True when `a` and `b` are equal without regard to ASCII letter case.
[[nodiscard]] bool equalsIgnoringAsciiCase(const QString& a, const QString& b);

// Splits a search mask into its directory part (up to and including the last
// "/", empty when there is none) and the pattern after it.
struct SearchMask {
    QString directory;
    QString pattern;
};
[[nodiscard]] SearchMask splitSearchMask(const QString& mask);

// A wildcard pattern ("*", "?", "[...]") for file names, matched without
// regard to letter case, as plug-in file names are written in either case.
class WildcardPattern {
public:
    explicit WildcardPattern(const QString& pattern);
    [[nodiscard]] bool matches(const QString& name) const;

private:
    QRegularExpression expression_;
};

} // namespace plugins
