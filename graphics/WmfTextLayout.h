#pragma once

// A string laid out for drawing as Windows and other programs draw a
// metafile's text on a screen: each letter's advance rounded to whole pixels,
// so that a line comes out as wide as theirs.

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QString>

namespace graphics {

struct WholePixelText {
    // Glyphs with their baseline at y = 0, starting at x = 0.
    QList<QGlyphRun> runs;
    double width = 0.0;
};

[[nodiscard]] WholePixelText layOutOnWholePixels(const QString& text, const QFont& font);

} // namespace graphics
