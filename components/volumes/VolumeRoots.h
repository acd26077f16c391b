#pragma once

// The volumes that stand in for drives in the folder widgets: the root "/"
// first, then the mount points of real, ready volumes in mount-table order
// (kernel, memory-backed, container-layer and desktop helper file systems left
// out). Qt only, so every widget library can use it.

#include <QStringList>

namespace volumes {

[[nodiscard]] QStringList realVolumeRoots();

} // namespace volumes
