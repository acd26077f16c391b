#include "components/cgauges/GaugeGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace Cgauges {

namespace {

// Division that rounds toward minus infinity, for numerators of either sign.
std::int64_t floorDiv(std::int64_t numerator, std::int64_t denominator) {
    std::int64_t quotient = numerator / denominator;
    if ((numerator % denominator != 0) && ((numerator < 0) != (denominator < 0)))
        --quotient;
    return quotient;
}

int floorToInt(double value) {
    return static_cast<int>(std::floor(value));
}

double radialAngleDegrees(Edges box, QPoint point) {
    // Qt measures an ellipse's angles on the circle it is stretched from, so
    // the radial is taken in coordinates where the ellipse is a unit circle.
    const double centreX = (box.left + box.right) / 2.0;
    const double centreY = (box.top + box.bottom) / 2.0;
    const double radiusX = (box.right - box.left) / 2.0;
    const double radiusY = (box.bottom - box.top) / 2.0;
    const double x = (point.x() - centreX) / radiusX;
    const double y = (centreY - point.y()) / radiusY;
    return std::atan2(y, x) * 180.0 / std::numbers::pi;
}

} // namespace

QRect pixelRect(Edges e) {
    if (e.right <= e.left || e.bottom <= e.top)
        return {};
    return QRect(QPoint(e.left, e.top), QPoint(e.right - 1, e.bottom - 1));
}

QRect outlineRect(Edges e) {
    return QRect(e.left, e.top, e.right - e.left - 1, e.bottom - e.top - 1);
}

int percentDone(int minValue, int maxValue, int progress) {
    const std::int64_t range = std::int64_t{maxValue} - minValue;
    if (range == 0)
        return 0;
    return static_cast<int>(floorDiv((std::int64_t{progress} - minValue) * 100, range));
}

int shareOfLength(int percent, int length) {
    return static_cast<int>(floorDiv(std::int64_t{percent} * length, 100));
}

Edges paintingRect(QSize client, bool framed) {
    Edges r{0, 0, client.width(), client.height()};
    if (framed)
        r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    return r;
}

Edges horizontalBarFill(int percent, Edges r) {
    const int width = r.right - r.left + 1;
    const int height = r.bottom - r.top + 1;
    const int fill = std::min(shareOfLength(percent, width), width);
    if (fill <= 0)
        return {r.left, r.top, r.left, r.top};
    // The fill and the height serve as the right and bottom edges; with the
    // frame's offset of one this covers exactly the inside of the frame.
    return {r.left, r.top, fill, height};
}

Edges verticalBarFill(int percent, Edges r) {
    const int width = r.right - r.left + 1;
    const int height = r.bottom - r.top + 1;
    int fill = shareOfLength(percent, height);
    if (fill >= height)
        fill = height - 1;
    return {r.left, height - fill, width, height};
}

QPoint pieStartPoint(int percent, int middleX, int middleY) {
    const double angle = (percent * 0.02 + 0.5) * std::numbers::pi;
    return {floorToInt(middleX * (1.0 - std::cos(angle))),
            floorToInt(middleY * (1.0 - std::sin(angle)))};
}

QPoint needleTip(int percent, int middleX, int baseY) {
    const double angle = percent * 0.01 * std::numbers::pi;
    return {floorToInt(middleX * (1.0 - std::cos(angle))),
            floorToInt(baseY * (1.0 - std::sin(angle)))};
}

PieAngles pieAngles(Edges box, QPoint from, QPoint to) {
    if (box.right <= box.left || box.bottom <= box.top)
        return {};
    const double start = radialAngleDegrees(box, from);
    double span = std::fmod(radialAngleDegrees(box, to) - start, 360.0);
    if (span <= 0.0)
        span += 360.0;
    return {static_cast<int>(std::lround(start * 16.0)),
            static_cast<int>(std::lround(span * 16.0))};
}

QPoint textOrigin(Edges r, QSize text) {
    return {(r.right - r.left + 1 - text.width()) / 2, (r.bottom - r.top + 1 - text.height()) / 2};
}

} // namespace Cgauges
