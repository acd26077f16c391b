#pragma once

// Brushes of a WMF made fit for libwmf. A CreateBrushIndirect record can only
// describe a solid, hollow or hatched brush: its pattern styles name a bitmap
// by a handle that no file can carry, and Windows cannot create such a brush.
// libwmf creates it with no pattern and fills with it without end (the
// decoding never finishes). Such a brush is made hollow.

#include <QByteArray>

namespace graphics {

// `bytes` must have passed checkWmf(); `headerAt` is where the WMF header
// starts (after a placeable header). Drawings with no such brush come back
// unchanged.
[[nodiscard]] QByteArray withDrawableBrushes(const QByteArray& bytes, qint64 headerAt);

} // namespace graphics
