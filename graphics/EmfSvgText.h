#pragma once

// The text of the EMF converter's SVG drawn by Qt's text engine rather than
// by Qt SVG, which lays every string out at a hundred pixels and scales the
// outlines down: its letters come out unhinted, bolder and blurred, unlike
// the same font drawn at its size anywhere else on the desktop (or by the
// office programs whose drawings we are compared with). The SVG is cut into
// layers at its text, so shapes drawn after a string still lie over it.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <optional>

class QPainter;
class QRectF;

namespace graphics {

struct SvgText {
    QString text;
    QString family;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QColor colour = Qt::black;
    QPointF at;             // the reference point, in the drawing's units
    double size = 0;        // the font's em, in the drawing's units
    Qt::Alignment anchor{}; // Qt::AlignLeft, Qt::AlignHCenter or Qt::AlignRight
};

// The drawing in the order it is painted: each layer's shapes (an SVG of its
// own, the converter's frame around them) and then its text.
struct SvgLayer {
    QByteArray shapes;
    QList<SvgText> texts;
};

struct SvgTextLayers {
    QSizeF drawingSize; // the SVG's width and height
    QList<SvgLayer> layers;
};

// `svg` as the converter writes it, cut at its text; nothing when it has no
// text, another shape than the converter's (transforms below its outer
// group, text that cannot be read) or too many layers, and then Qt SVG draws
// it whole.
[[nodiscard]] std::optional<SvgTextLayers> svgLayersAtText(const QByteArray& svg);

// Draws `text` into `target`, where the drawing's `drawingSize` units go.
void drawSvgText(QPainter& painter, const SvgText& text, const QRectF& target,
                 const QSizeF& drawingSize);

} // namespace graphics
