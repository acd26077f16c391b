#pragma once

// Gives every object a WMF creates a slot of its own before libwmf plays it.
// Windows reuses the lowest free slot of the object table, so after a
// DeleteObject a later font may take the slot of a brush that a RestoreDC
// brings back; libwmf then draws with the font as if it were a brush and
// crashes. Played with one slot per object, nothing is ever deleted, the
// selections name the objects they named in Windows, and a record that names
// an empty slot (which Windows ignores) is left out.

#include <QByteArray>
#include <cstdint>

namespace graphics {

// The most objects a drawing may create for the table to be rewritten; the
// header counts its objects in 16 bits.
inline constexpr int MaxWmfObjects = 0xFFFF;

// `bytes` must have passed checkWmf(); `headerAt` is where the WMF header
// starts (after a placeable header). Drawings creating more than
// MaxWmfObjects objects come back unchanged.
// True for the records that create an object (a pen, brush, font, palette,
// pattern or region) and so take a slot.
[[nodiscard]] bool createsObject(std::uint16_t function);

[[nodiscard]] QByteArray withOwnObjectSlots(const QByteArray& bytes, qint64 headerAt);

} // namespace graphics
