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

// How the reference device's pixels measure on the picture and on paper.
struct GlyphPlacement {
    double pictureScale = 0;             // the picture's pixels per device pixel
    double hundredthsPerDevicePixel = 0; // of a millimetre; 0 when unknown

    // The picture's pixels per hundredth of a millimetre; 0 when unknown.
    [[nodiscard]] double pixelsPerHundredth() const {
        return hundredthsPerDevicePixel > 0 ? pictureScale / hundredthsPerDevicePixel : 0;
    }
};

// `bytes` must have passed checkEmf(); glyphs are placed on whole pixels of
// the picture by `placement`. Drawings with nothing to split come back
// unchanged.
[[nodiscard]] QByteArray emfWithTextPlacedByGlyph(const QByteArray& bytes,
                                                  const GlyphPlacement& placement);

} // namespace graphics
