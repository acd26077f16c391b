#pragma once

// Font heights of a WMF stated as the em for libwmf. A font's height is
// negative for the em and positive for the whole character cell (ascent and
// descent, some 15 % more); libwmf drops the sign, and a cell height then came
// out as an em that large. Each positive height is turned into the em of the
// font that will be drawn in its place.

#include <QByteArray>

namespace graphics {

// `bytes` must have passed checkWmf(); `headerAt` is where the WMF header
// starts (after a placeable header). Drawings whose heights are all ems come
// back unchanged.
[[nodiscard]] QByteArray withFontHeightsAsEm(const QByteArray& bytes, qint64 headerAt);

} // namespace graphics
