#include "graphics/EmfSvgText.h"

#include "graphics/EmfSvgDrawing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QRectF>

namespace graphics {
namespace {

// Past this many layers Qt SVG draws the whole drawing: each layer is an SVG
// of its own to read.
constexpr qsizetype MaxLayers = 256;
// Nor when the layers, each carrying the definitions before it, would come to
// much more than the drawing.
constexpr qsizetype MaxExtraBytes = qsizetype(16) * 1024 * 1024;
constexpr double MaxTextPixels = 4096;

QByteArrayView valueOf(const QByteArray& svg, qsizetype from, qsizetype to, QByteArrayView name) {
    const auto place = svgAttribute(svg, from, to, name);
    return place ? QByteArrayView(svg).sliced(place->begin, place->end - place->begin)
                 : QByteArrayView();
}

QString unescaped(QByteArrayView text) {
    QString s = QString::fromUtf8(text);
    s.replace(QLatin1String("&lt;"), QLatin1String("<"));
    s.replace(QLatin1String("&gt;"), QLatin1String(">"));
    s.replace(QLatin1String("&quot;"), QLatin1String("\""));
    s.replace(QLatin1String("&apos;"), QLatin1String("'"));
    s.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return s;
}

// The `<text …>…</text>` element at `at`; `end` is set past it.
std::optional<SvgText> readText(const QByteArray& svg, qsizetype at, const QPointF& offset,
                                qsizetype* end) {
    const qsizetype tagEnd = svg.indexOf('>', at);
    const qsizetype closing = tagEnd < 0 ? -1 : svg.indexOf("</text>", tagEnd);
    if (closing < 0)
        return std::nullopt;
    *end = closing + qsizetype(sizeof "</text>") - 1;
    const auto x = svgNumber(svg, at, tagEnd, "x");
    const auto y = svgNumber(svg, at, tagEnd, "y");
    const auto size = svgNumber(svg, at, tagEnd, "font-size");
    if (!x || !y || !size || size->value <= 0)
        return std::nullopt;
    SvgText text;
    text.at = QPointF(x->value + offset.x(), y->value + offset.y());
    text.size = size->value;
    text.family = unescaped(valueOf(svg, at, tagEnd, "font-family"));
    const QByteArrayView fill = valueOf(svg, at, tagEnd, "fill");
    if (fill == "none")
        text.colour = Qt::transparent;
    else if (!fill.isEmpty())
        text.colour = QColor::fromString(QLatin1StringView(fill));
    if (!text.colour.isValid())
        return std::nullopt;
    if (const QByteArrayView weight = valueOf(svg, at, tagEnd, "font-weight"); !weight.isEmpty()) {
        bool ok = false;
        text.weight = weight == "bold" ? 700 : weight == "normal" ? 400 : weight.toInt(&ok);
        if (weight != "bold" && weight != "normal" &&
            (!ok || text.weight < 1 || text.weight > 1000))
            return std::nullopt;
    }
    const QByteArrayView style = valueOf(svg, at, tagEnd, "font-style");
    text.italic = style == "italic" || style == "oblique";
    const QByteArrayView decoration = valueOf(svg, at, tagEnd, "text-decoration");
    text.underline = decoration.contains("underline");
    text.strikeOut = decoration.contains("line-through");
    const QByteArrayView anchor = valueOf(svg, at, tagEnd, "text-anchor");
    text.anchor = anchor == "middle" ? Qt::AlignHCenter
                  : anchor == "end"  ? Qt::AlignRight
                                     : Qt::AlignLeft;
    const QByteArrayView content = QByteArrayView(svg).sliced(tagEnd + 1, closing - tagEnd - 1);
    constexpr QByteArrayView CdataOpen = "<![CDATA[";
    constexpr QByteArrayView CdataClose = "]]>";
    if (content.startsWith(CdataOpen) && content.endsWith(CdataClose))
        text.text = QString::fromUtf8(content.sliced(
            CdataOpen.size(), content.size() - CdataOpen.size() - CdataClose.size()));
    else if (!content.contains('<'))
        text.text = unescaped(content);
    else
        return std::nullopt;
    return text;
}

bool blank(QByteArrayView text) {
    for (const char c : text) {
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
            return false;
    }
    return true;
}

// The `<defs>` blocks of `chunk`, which later layers need for what they name.
QByteArray definitionsIn(QByteArrayView chunk) {
    QByteArray defs;
    for (qsizetype at = chunk.indexOf("<defs>"); at >= 0; at = chunk.indexOf("<defs>", at + 1)) {
        const qsizetype end = chunk.indexOf("</defs>", at);
        if (end < 0)
            break;
        defs += chunk.sliced(at, end + qsizetype(sizeof "</defs>") - 1 - at);
        defs += '\n';
    }
    return defs;
}

} // namespace

std::optional<SvgTextLayers> svgLayersAtText(const QByteArray& svg) {
    constexpr QByteArrayView TextTag = "<text ";
    qsizetype nextText = svg.indexOf(TextTag);
    if (nextText < 0)
        return std::nullopt;
    const auto space = svgDrawingSpace(svg);
    if (!space)
        return std::nullopt;
    // The frame every layer keeps: the document up to the outer group's
    // opening tag (or the root's), and the tags that close them.
    const qsizetype root = svg.indexOf("<svg ");
    const qsizetype group = svg.indexOf("<g ", root);
    const bool grouped = group >= 0 && group < nextText;
    const qsizetype headEnd = svg.indexOf('>', grouped ? group : root) + 1;
    if (headEnd <= 0 || headEnd > nextText)
        return std::nullopt;
    const QByteArrayView head = QByteArrayView(svg).first(headEnd);
    const QByteArrayView tail = grouped ? "</g>\n</svg>\n" : "</svg>\n";
    qsizetype bodyEnd = svg.lastIndexOf(grouped ? "</g>" : "</svg>");
    if (bodyEnd < nextText)
        bodyEnd = svg.size();

    SvgTextLayers result{space->size, {}};
    QByteArray definitions;
    qsizetype layered = 0;
    qsizetype at = headEnd;
    while (at < bodyEnd) {
        const qsizetype chunkEnd = nextText >= 0 && nextText < bodyEnd ? nextText : bodyEnd;
        const QByteArrayView chunk = QByteArrayView(svg).sliced(at, chunkEnd - at);
        if (result.layers.size() >= MaxLayers)
            return std::nullopt;
        SvgLayer layer;
        if (!blank(chunk)) {
            layer.shapes =
                head.toByteArray() + definitions + chunk.toByteArray() + tail.toByteArray();
            layered += layer.shapes.size();
            if (layered > 2 * svg.size() + MaxExtraBytes)
                return std::nullopt;
        }
        definitions += definitionsIn(chunk);
        at = chunkEnd;
        // The text that follows, up to the next shape.
        while (at == nextText && at < bodyEnd) {
            qsizetype end = 0;
            const auto text = readText(svg, at, space->offset, &end);
            if (!text)
                return std::nullopt;
            layer.texts.append(*text);
            nextText = svg.indexOf(TextTag, end);
            at = end;
            const qsizetype gapEnd = nextText >= 0 && nextText < bodyEnd ? nextText : bodyEnd;
            if (blank(QByteArrayView(svg).sliced(at, gapEnd - at)))
                at = gapEnd;
        }
        result.layers.append(layer);
    }
    return result;
}

void drawSvgText(QPainter& painter, const SvgText& text, const QRectF& target,
                 const QSizeF& drawingSize) {
    if (text.text.isEmpty() || text.colour.alpha() == 0 || drawingSize.isEmpty())
        return;
    const double sx = target.width() / drawingSize.width();
    const double sy = target.height() / drawingSize.height();
    const double pixels = text.size * sy;
    if (!(pixels >= 0.5 && pixels <= MaxTextPixels))
        return;
    QFont font;
    font.setFamilies({text.family});
    font.setPointSizeF(pixels * 72.0 / painter.device()->logicalDpiY());
    font.setWeight(QFont::Weight(text.weight));
    font.setItalic(text.italic);
    font.setUnderline(text.underline);
    font.setStrikeOut(text.strikeOut);
    // As text is drawn on a screen: stems and bars on whole rows.
    font.setHintingPreference(QFont::PreferVerticalHinting);
    const double width = text.anchor == Qt::AlignLeft
                             ? 0
                             : QFontMetricsF(font, painter.device()).horizontalAdvance(text.text);
    const double shift = text.anchor == Qt::AlignHCenter ? width / 2
                         : text.anchor == Qt::AlignRight ? width
                                                         : 0;
    painter.save();
    painter.setFont(font);
    painter.setPen(text.colour);
    painter.drawText(
        QPointF(target.left() + text.at.x() * sx - shift, target.top() + text.at.y() * sy),
        text.text);
    painter.restore();
}

} // namespace graphics
