#include "core/NameOrder.h"

#include <algorithm>
#include <vector>

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Compares the digit runs starting at `i` and `j` as numbers; moves both past
// their run. Leading zeros do not count here.
int compareNumbers(const QString& a, qsizetype& i, const QString& b, qsizetype& j) {
    while (i < a.size() && a[i] == u'0' && i + 1 < a.size() && isDigit(a[i + 1]))
        ++i;
    while (j < b.size() && b[j] == u'0' && j + 1 < b.size() && isDigit(b[j + 1]))
        ++j;
    const qsizetype startA = i;
    const qsizetype startB = j;
    while (i < a.size() && isDigit(a[i]))
        ++i;
    while (j < b.size() && isDigit(b[j]))
        ++j;
    const qsizetype lengthA = i - startA;
    const qsizetype lengthB = j - startB;
    if (lengthA != lengthB)
        return lengthA < lengthB ? -1 : 1;
    return QStringView(a).sliced(startA, lengthA).compare(QStringView(b).sliced(startB, lengthB));
}

int compareNatural(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            if (const int byNumber = compareNumbers(a, i, b, j))
                return byNumber;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    return (i < a.size()) - (j < b.size());
}

} // namespace

NameOrderKey::NameOrderKey(QString n) : name(std::move(n)), folded(name.toCaseFolded()) {}

bool comesBefore(const NameOrderKey& a, const NameOrderKey& b) {
    if (const int natural = compareNatural(a.folded, b.folded))
        return natural < 0;
    return a.name < b.name;
}

QStringList sortedInNameOrder(QStringList names) {
    std::vector<NameOrderKey> keys;
    keys.reserve(size_t(names.size()));
    for (QString& name : names)
        keys.emplace_back(std::move(name));
    std::sort(keys.begin(), keys.end(), comesBefore);
    QStringList sorted;
    sorted.reserve(qsizetype(keys.size()));
    for (NameOrderKey& key : keys)
        sorted.append(std::move(key.name));
    return sorted;
}
