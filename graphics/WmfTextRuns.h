#pragma once

// Centred and right-aligned strings of a WMF whose advances give some
// letters none, drawn whole. A writer that set two or three letters as one
// ligature glyph ("ffi") gives the first its width and the others nothing;
// libwmf hands such a string over letter by letter at those advances, and
// places the letters of a centred or right-aligned one by its own estimate of
// the string's width. Without advances the string goes to our text drawing
// whole, which places it by its measured width, and the font joins the
// letters again. Left-aligned strings keep their advances: the text drawing
// joins the letters that come to one place (WmfText.h).

#include <QByteArray>

namespace graphics {

// `bytes` must have passed checkWmf(); `headerAt` is where the WMF header
// starts (after a placeable header). Drawings with no such strings come back
// unchanged.
[[nodiscard]] QByteArray withLigatureRunsWhole(const QByteArray& bytes, qint64 headerAt);

} // namespace graphics
