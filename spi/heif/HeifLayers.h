#pragma once

// Finds out from a HEIF file's boxes whether its pictures are coded in layers
// (AV1 operating points, layer selection, progressive layer sizes). The size
// such a file declares need not be the size the codec hands back, so the
// declared one cannot be trusted for what is shown.

#include <cstdint>
#include <span>

namespace heifspi {

// True when the item properties ("ipco" in "meta"/"iprp") hold an "a1op",
// "a1lx" or "lsel" property. Damaged boxes read as not layered.
[[nodiscard]] bool declaresLayers(std::span<const std::uint8_t> file);

} // namespace heifspi
