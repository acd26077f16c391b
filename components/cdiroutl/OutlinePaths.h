#pragma once

// Path rules of the directory outline: the case functions for shown names, and the way back from a
// name shown in any case to the real entry on this case-sensitive file system.

#include "components/volumes/VolumeRoots.h"

#include <QString>
#include <QStringList>

namespace cdiroutl {

[[nodiscard]] QString fileNameLowerCase(const QString& name);
[[nodiscard]] QString fileNameUpperCase(const QString& name);
// Whether two names differ in case only (or not at all).
[[nodiscard]] bool sameNameIgnoringCase(const QString& a, const QString& b);

// Whether `path` is `folder` itself or lies below it.
[[nodiscard]] bool isSameOrBelow(const QString& path, const QString& folder,
                                 Qt::CaseSensitivity sensitivity);
using volumes::volumeHolding;

// The real path of the absolute `path` written in any case: the longest volume
// it names (in any case) gives the real start, and each further component
// becomes the real entry's name: the name itself when it exists, else the first
// (in code-point order) entry whose name differs only in case. Components that
// match nothing are kept as written.
[[nodiscard]] QString resolveOnDisk(const QString& path, const QStringList& volumes);

} // namespace cdiroutl
