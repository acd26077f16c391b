#include "graphics/EmfSvgDrawing.h"

#include <QList>
#include <algorithm>
#include <cmath>

namespace graphics {

std::optional<SvgAttribute> svgAttribute(const QByteArray& text, qsizetype from, qsizetype to,
                                         QByteArrayView name) {
    const QByteArray key = ' ' + name.toByteArray() + "=\"";
    const QByteArrayView region = QByteArrayView(text).sliced(from, to - from);
    const qsizetype at = region.indexOf(key);
    const qsizetype close = at < 0 ? -1 : region.indexOf('"', at + key.size());
    if (close < 0)
        return std::nullopt;
    return SvgAttribute{from + at + key.size(), from + close};
}

std::optional<SvgNumber> svgNumber(const QByteArray& text, qsizetype from, qsizetype to,
                                   QByteArrayView name) {
    const auto place = svgAttribute(text, from, to, name);
    if (!place)
        return std::nullopt;
    bool ok = false;
    const double value =
        QByteArrayView(text).sliced(place->begin, place->end - place->begin).toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > MaxSvgCoordinate)
        return std::nullopt;
    return SvgNumber{*place, value};
}

QList<SvgElement> svgElements(const QByteArray& svg, std::initializer_list<QByteArrayView> names) {
    QList<SvgElement> elements;
    qsizetype kind = 0;
    for (const QByteArrayView name : names) {
        const QByteArray tag = '<' + name.toByteArray() + ' ';
        for (qsizetype at = svg.indexOf(tag); at >= 0; at = svg.indexOf(tag, at + 1)) {
            const qsizetype close = svg.indexOf('>', at);
            if (close < 0)
                break;
            elements.append({at, close, kind});
        }
        ++kind;
    }
    std::sort(elements.begin(), elements.end(),
              [](const SvgElement& a, const SvgElement& b) { return a.begin < b.begin; });
    return elements;
}

std::optional<SvgDrawingSpace> svgDrawingSpace(const QByteArray& svg) {
    const qsizetype svgTag = svg.indexOf("<svg ");
    const qsizetype svgEnd = svgTag < 0 ? -1 : svg.indexOf('>', svgTag);
    // Without a view box the drawing's units are its width and height.
    if (svgEnd < 0 || QByteArrayView(svg).sliced(svgTag, svgEnd - svgTag).contains("viewBox"))
        return std::nullopt;
    const auto width = svgNumber(svg, svgTag, svgEnd, "width");
    const auto height = svgNumber(svg, svgTag, svgEnd, "height");
    if (!width || !height || width->value <= 0 || height->value <= 0)
        return std::nullopt;
    SvgDrawingSpace space{QSizeF(width->value, height->value), {}};
    constexpr QByteArrayView Transform = "transform=\"";
    const qsizetype transform = svg.indexOf(Transform, svgEnd);
    if (transform < 0)
        return space;
    if (svg.indexOf(Transform, transform + 1) >= 0)
        return std::nullopt;
    constexpr QByteArrayView Translate = "translate(";
    const qsizetype open = transform + Transform.size();
    const qsizetype close = svg.indexOf(')', open);
    if (!QByteArrayView(svg).sliced(open).startsWith(Translate) || close < 0)
        return std::nullopt;
    const QList<QByteArray> parts =
        svg.sliced(open + Translate.size(), close - open - Translate.size()).split(',');
    bool okX = false;
    bool okY = false;
    const double x = parts.size() == 2 ? parts[0].trimmed().toDouble(&okX) : 0;
    const double y = parts.size() == 2 ? parts[1].trimmed().toDouble(&okY) : 0;
    if (!okX || !okY || !std::isfinite(x) || !std::isfinite(y))
        return std::nullopt;
    space.offset = QPointF(x, y);
    return space;
}

} // namespace graphics
