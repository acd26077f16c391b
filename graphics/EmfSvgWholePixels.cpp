#include "graphics/EmfSvgWholePixels.h"

#include "graphics/EmfSvgDrawing.h"

#include <QList>
#include <algorithm>
#include <cmath>
#include <optional>

namespace graphics {

double wholePixelOnPaper(double pixels, double pixelsPerHundredth) {
    if (std::isfinite(pixelsPerHundredth) && pixelsPerHundredth > 1e-6 && pixelsPerHundredth < 1e6)
        pixels = std::round(pixels / pixelsPerHundredth) * pixelsPerHundredth;
    return std::round(pixels);
}

QByteArray svgOnWholePixels(const QByteArray& svg, const QRectF& target,
                            double pixelsPerHundredth) {
    if (target.isEmpty())
        return svg;
    const auto space = svgDrawingSpace(svg);
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
    const auto whole = [&](double pixels) { return wholePixelOnPaper(pixels, pixelsPerHundredth); };

    QByteArray out;
    qsizetype copied = 0;
    // Writes the attributes' new values, in the order they stand.
    const auto rewrite = [&](QList<SvgNumber> values) {
        std::sort(values.begin(), values.end(), [](const SvgNumber& a, const SvgNumber& b) {
            return a.place.begin < b.place.begin;
        });
        for (const SvgNumber& value : values) {
            out += QByteArrayView(svg).sliced(copied, value.place.begin - copied);
            out += QByteArray::number(value.value, 'f', 4);
            copied = value.place.end;
        }
    };
    for (const SvgElement& element : svgElements(svg, {"image", "text"})) {
        const bool image = element.kind == 0;
        const qsizetype at = element.begin;
        const qsizetype close = element.end;
        // The attributes come before an image's data, which may be long.
        const qsizetype data = QByteArrayView(svg).sliced(at, close - at).indexOf("xlink:href");
        const qsizetype end = data < 0 ? close : at + data;
        auto x = svgNumber(svg, at, end, "x");
        auto y = svgNumber(svg, at, end, "y");
        if (!x || !y)
            continue;
        if (!image) {
            x->value = fromPictureX(std::round(toPictureX(x->value)));
            y->value = fromPictureY(std::round(toPictureY(y->value)));
            rewrite({*x, *y});
            continue;
        }
        auto w = svgNumber(svg, at, end, "width");
        auto h = svgNumber(svg, at, end, "height");
        if (!w || !h || w->value <= 0 || h->value <= 0)
            continue;
        const double left = whole(toPictureX(x->value));
        const double right = whole(toPictureX(x->value + w->value));
        const double top = whole(toPictureY(y->value));
        const double bottom = whole(toPictureY(y->value + h->value));
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
