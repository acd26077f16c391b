#pragma once

// Text rules for plug-in file patterns and the names they are matched against.

#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace plugins {

// The extension of `name` with its dot: the text from the last "." to the end,
// provided no "/" follows that dot; otherwise empty.
[[nodiscard]] QString extensionWithDot(const QString& name);

// The extensions (with their dots) of every pattern of a plug-in's pattern
// entry: "*.jpg;*.jpeg" gives ".jpg" and ".jpeg". Patterns without one are
// left out.
[[nodiscard]] QStringList patternExtensions(const QString& entry);

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
