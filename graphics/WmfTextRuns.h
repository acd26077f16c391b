#pragma once

// Strings of a WMF whose advances give some letters none, drawn whole. A
// writer that set two or three letters as one ligature glyph ("ffi") gives
// the first its width and the others nothing; libwmf then draws the string
// letter by letter at those advances, the joined letters and the one after
// them on one spot, and "office" comes out as "of" and a blot. Each group of
// joined letters goes to our text drawing whole, without advances, at its
// place, and the font joins the letters again; the letters around keep
// theirs. A centred or right-aligned string goes whole.

#include <QByteArray>

namespace graphics {

// `bytes` must have passed checkWmf(); `headerAt` is where the WMF header
// starts (after a placeable header). Drawings with no such strings come back
// unchanged.
[[nodiscard]] QByteArray withLigatureRunsWhole(const QByteArray& bytes, qint64 headerAt);

} // namespace graphics
