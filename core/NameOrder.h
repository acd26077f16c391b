#pragma once

// The order a Linux file manager lists a folder in: names compared without
// regard to case, runs of digits compared as numbers, so IMG_2 comes before
// IMG_10 and a camera's burst stays together. File systems hand names out in
// hash order, which shuffles them.

#include <QString>
#include <QStringList>

// A name with what the comparison needs worked out once, for sorting many.
struct NameOrderKey {
    explicit NameOrderKey(QString name);
    QString name;
    QString folded; // case-folded
};

// True when `a` comes before `b`. Names equal but for case or leading zeros
// still get a fixed order, so sorting is stable across runs.
[[nodiscard]] bool comesBefore(const NameOrderKey& a, const NameOrderKey& b);

// `names` sorted in that order.
[[nodiscard]] QStringList sortedInNameOrder(QStringList names);
