#pragma once

// Text of an EMF placed glyph by glyph, made fit for the EMF converter, which
// writes each string as one run and leaves its letter spacing to the font:
// the spacing the writer measured (the record's advances) is lost, and a line
// drifts by a pixel or more from where the program that made the file put
// it. Each glyph becomes a text record of its own at its measured place.
// Only simple horizontal text is split: scripts whose letters join or combine,
// glyph indices, rotated fonts and mirrored or rotated pages keep their runs.

#include <QByteArray>

namespace graphics {

// `bytes` must have passed checkEmf(); `pictureScale` is the picture's
// pixels per device pixel, by which glyphs are placed on whole pixels.
// Drawings with nothing to split come back unchanged.
[[nodiscard]] QByteArray emfWithTextPlacedByGlyph(const QByteArray& bytes, double pictureScale);

} // namespace graphics
