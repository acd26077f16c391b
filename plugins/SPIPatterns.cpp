#include "plugins/SPIPatterns.h"

namespace plugins {

QString extensionWithDot(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0 || name.indexOf(u'/', dot) >= 0)
        return {};
    return name.mid(dot);
}

QStringList patternExtensions(const QString& entry) {
    QStringList extensions;
    for (const QString& pattern : entry.split(u';', Qt::SkipEmptyParts)) {
        const QString extension = extensionWithDot(pattern.trimmed());
        if (!extension.isEmpty())
            extensions.append(extension);
    }
    return extensions;
}

bool equalsIgnoringAsciiCase(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= u'A' && x <= u'Z')
            x = char16_t(x + (u'a' - u'A'));
        if (y >= u'A' && y <= u'Z')
            y = char16_t(y + (u'a' - u'A'));
        if (x != y)
            return false;
    }
    return true;
}

SearchMask splitSearchMask(const QString& mask) {
    const qsizetype slash = mask.lastIndexOf(u'/');
    return {mask.left(slash + 1), mask.mid(slash + 1)};
}

WildcardPattern::WildcardPattern(const QString& pattern)
    : expression_(QRegularExpression::fromWildcard(pattern, Qt::CaseInsensitive)) {}

bool WildcardPattern::matches(const QString& name) const {
    return expression_.isValid() && expression_.match(name).hasMatch();
}

} // namespace plugins
