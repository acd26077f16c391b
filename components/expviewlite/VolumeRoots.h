#pragma once

// The volumes that stand in for drives: the root "/" first, then the mount
// points of real, ready volumes in mount-table order.

#include <QStringList>

namespace expviewlite {

[[nodiscard]] QStringList realVolumeRoots();

} // namespace expviewlite
