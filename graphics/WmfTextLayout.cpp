#include "graphics/WmfTextLayout.h"

#include <QRawFont>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace graphics {

WholePixelText layOutOnWholePixels(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (!line.isValid()) {
        layout.endLayout();
        return {};
    }
    line.setNumColumns(int(text.size()));
    layout.endLayout();

    WholePixelText laidOut;
    laidOut.runs = line.glyphRuns();
    struct Glyph {
        qsizetype run;
        qsizetype index;
        double x;
    };
    QList<Glyph> glyphs;
    QList<QList<QPointF>> positions;
    for (qsizetype r = 0; r < laidOut.runs.size(); ++r) {
        positions.append(laidOut.runs[r].positions());
        for (qsizetype i = 0; i < positions[r].size(); ++i)
            glyphs.append({r, i, positions[r][i].x()});
    }
    std::stable_sort(glyphs.begin(), glyphs.end(),
                     [](const Glyph& a, const Glyph& b) { return a.x < b.x; });
    const double origin = glyphs.isEmpty() ? 0.0 : glyphs.first().x;
    double at = 0.0;
    for (qsizetype k = 0; k < glyphs.size(); ++k) {
        const Glyph& glyph = glyphs[k];
        double advance = 0.0;
        if (k + 1 < glyphs.size()) {
            advance = glyphs[k + 1].x - glyph.x;
        } else {
            const QGlyphRun& run = laidOut.runs.at(glyph.run);
            const QList<quint32> indexes = run.glyphIndexes();
            const auto advances =
                run.rawFont().advancesForGlyphIndexes(QList<quint32>{indexes.at(glyph.index)});
            advance = advances.isEmpty() ? line.naturalTextWidth() - (glyph.x - origin)
                                         : advances.first().x();
        }
        positions[glyph.run][glyph.index] = QPointF(at, 0.0);
        at += std::round(advance);
    }
    for (qsizetype r = 0; r < laidOut.runs.size(); ++r)
        laidOut.runs[r].setPositions(positions[r]);
    laidOut.width = at;
    return laidOut;
}

} // namespace graphics
