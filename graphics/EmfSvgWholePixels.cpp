#include "graphics/EmfSvgWholePixels.h"

#include <QList>
#include <algorithm>
#include <cmath>
#include <optional>

namespace graphics {
namespace {

// Farther out than this a rectangle is left as it is: no picture is that large.
constexpr double MaxCoordinate = 1e7;

struct Attribute {
    qsizetype begin = 0; // the value, between its quotes
    qsizetype end = 0;
    double value = 0;
};

// The number in ` name="…"` within `text[from, to)`.
std::optional<Attribute> attribute(const QByteArray& text, qsizetype from, qsizetype to,
                                   QByteArrayView name) {
    const QByteArray key = ' ' + name.toByteArray() + "=\"";
    const QByteArrayView region = QByteArrayView(text).sliced(from, to - from);
    const qsizetype at = region.indexOf(key);
    const qsizetype close = at < 0 ? -1 : region.indexOf('"', at + key.size());
    if (close < 0)
        return std::nullopt;
    const qsizetype begin = from + at + key.size();
    const qsizetype end = from + close;
    bool ok = false;
    const double value = QByteArrayView(text).sliced(begin, end - begin).toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > MaxCoordinate)
        return std::nullopt;
    return Attribute{begin, end, value};
}

// The converter's drawing space: its size, and the one translation of its
// outer group; nothing when the SVG has another shape.
struct DrawingSpace {
    QSizeF size;
    QPointF offset;
};

std::optional<DrawingSpace> drawingSpace(const QByteArray& svg) {
    const qsizetype svgTag = svg.indexOf("<svg ");
    const qsizetype svgEnd = svgTag < 0 ? -1 : svg.indexOf('>', svgTag);
    // Without a view box the drawing's units are its width and height.
    if (svgEnd < 0 || QByteArrayView(svg).sliced(svgTag, svgEnd - svgTag).contains("viewBox"))
        return std::nullopt;
    const auto width = attribute(svg, svgTag, svgEnd, "width");
    const auto height = attribute(svg, svgTag, svgEnd, "height");
    if (!width || !height || width->value <= 0 || height->value <= 0)
        return std::nullopt;
    DrawingSpace space{QSizeF(width->value, height->value), {}};
    // Any transform but the outer translation would move images in ways
    // this pass does not follow.
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

} // namespace

QByteArray svgOnWholePixels(const QByteArray& svg, const QRectF& target) {
    constexpr QByteArrayView ImageTag = "<image ";
    constexpr QByteArrayView TextTag = "<text ";
    if (target.isEmpty())
        return svg;
    const auto space = drawingSpace(svg);
    if (!space)
        return svg;
    const double sx = target.width() / space->size.width();
    const double sy = target.height() / space->size.height();
    const auto toPictureX = [&](double x) { return target.left() + (x + space->offset.x()) * sx; };
    const auto toPictureY = [&](double y) { return target.top() + (y + space->offset.y()) * sy; };
    const auto fromPictureX = [&](double x) {
        return (x - target.left()) / sx - space->offset.x();
    };
    const auto fromPictureY = [&](double y) { return (y - target.top()) / sy - space->offset.y(); };

    QByteArray out;
    qsizetype copied = 0;
    // Writes the attributes' new values, in the order they stand.
    const auto rewrite = [&](QList<Attribute> values) {
        std::sort(values.begin(), values.end(),
                  [](const Attribute& a, const Attribute& b) { return a.begin < b.begin; });
        for (const Attribute& value : values) {
            out += QByteArrayView(svg).sliced(copied, value.begin - copied);
            out += QByteArray::number(value.value, 'f', 4);
            copied = value.end;
        }
    };
    qsizetype nextImage = svg.indexOf(ImageTag);
    qsizetype nextText = svg.indexOf(TextTag);
    while (nextImage >= 0 || nextText >= 0) {
        const bool image = nextText < 0 || (nextImage >= 0 && nextImage < nextText);
        const qsizetype at = image ? nextImage : nextText;
        if (image)
            nextImage = svg.indexOf(ImageTag, at + 1);
        else
            nextText = svg.indexOf(TextTag, at + 1);
        // The attributes come before an image's data, which may be long.
        const qsizetype close = svg.indexOf('>', at);
        if (close < 0)
            break;
        const qsizetype data = QByteArrayView(svg).sliced(at, close - at).indexOf("xlink:href");
        const qsizetype end = data < 0 ? close : at + data;
        auto x = attribute(svg, at, end, "x");
        auto y = attribute(svg, at, end, "y");
        if (!x || !y)
            continue;
        if (!image) {
            y->value = fromPictureY(std::round(toPictureY(y->value)));
            rewrite({*y});
            continue;
        }
        auto w = attribute(svg, at, end, "width");
        auto h = attribute(svg, at, end, "height");
        if (!w || !h || w->value <= 0 || h->value <= 0)
            continue;
        const double left = std::round(toPictureX(x->value));
        const double right = std::round(toPictureX(x->value + w->value));
        const double top = std::round(toPictureY(y->value));
        const double bottom = std::round(toPictureY(y->value + h->value));
        if (!(right > left && bottom > top))
            continue;
        x->value = fromPictureX(left);
        w->value = (right - left) / sx;
        y->value = fromPictureY(top);
        h->value = (bottom - top) / sy;
        rewrite({*x, *y, *w, *h});
    }
    if (copied == 0)
        return svg;
    out += QByteArrayView(svg).sliced(copied);
    return out;
}

} // namespace graphics
