#pragma once

// The arithmetic behind the gauge's picture: percentages, bar extents, pie and
// needle points, and the position of the percentage text. Pure functions, so
// the geometry is checked without drawing anything.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace Cgauges {

// A rectangle given by its edges: right and bottom lie one past the last pixel,
// which is how the gauge's drawing steps measure everything.
struct Edges {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    friend bool operator==(const Edges&, const Edges&) = default;
};

// The pixels an `Edges` rectangle covers; empty when it covers none.
[[nodiscard]] QRect pixelRect(Edges e);

// The rectangle whose 1-pixel outline Qt draws on the outermost pixels of `e`
// (Qt's outlines reach one pixel further right and down than the rectangle).
[[nodiscard]] QRect outlineRect(Edges e);

// floor((progress - min) * 100 / (max - min)), 0 for an empty range. Exact in
// 64-bit integers, so the extreme 32-bit bounds neither overflow nor round.
[[nodiscard]] int percentDone(int minValue, int maxValue, int progress);

// floor(percent / 100 * length), exact.
[[nodiscard]] int shareOfLength(int percent, int length);

// The client area, shrunk by one pixel on every side when framed.
[[nodiscard]] Edges paintingRect(QSize client, bool framed);

// The filled part of a horizontal bar in the painting rectangle `r`: from the
// left edge to the share of W = right - left + 1 (at most W), full height.
[[nodiscard]] Edges horizontalBarFill(int percent, Edges r);

// The filled part of a vertical bar: rises from the bottom by the share of
// H = bottom - top + 1, never more than H - 1.
[[nodiscard]] Edges verticalBarFill(int percent, Edges r);

// The point a pie's filled sector starts from: on the radial whose angle is
// (percent * 0.02 + 0.5) * pi, scaled by the middle of the dial.
[[nodiscard]] QPoint pieStartPoint(int percent, int middleX, int middleY);

// The tip of the needle: angle percent * 0.01 * pi from the left along the base.
[[nodiscard]] QPoint needleTip(int percent, int middleX, int baseY);

// Angles of a pie for QPainter::drawPie, in 1/16 degree: the sector of the
// ellipse in `box` that runs counter-clockwise from the radial through `from`
// to the radial through `to`. Radials that coincide give the whole ellipse.
struct PieAngles {
    int start16 = 0;
    int span16 = 0;
};
[[nodiscard]] PieAngles pieAngles(Edges box, QPoint from, QPoint to);

// Top-left corner of the percentage text, centred on the painting rectangle's
// size but measured from the picture's origin.
[[nodiscard]] QPoint textOrigin(Edges r, QSize text);

} // namespace Cgauges
