#include "components/cgauges/GaugeGeometry.h"

#include <gtest/gtest.h>
#include <limits>

using namespace Cgauges;

namespace {
constexpr int kMin = std::numeric_limits<int>::min();
constexpr int kMax = std::numeric_limits<int>::max();
} // namespace

TEST(cgaugesPercent, RoundsDownWithinTheRange) {
    EXPECT_EQ(percentDone(0, 100, 33), 33);
    EXPECT_EQ(percentDone(0, 3, 1), 33);
    EXPECT_EQ(percentDone(0, 3, 2), 66);
    EXPECT_EQ(percentDone(-100, -50, -75), 50);
    EXPECT_EQ(percentDone(10, 20, 20), 100);
}

TEST(cgaugesPercent, EmptyRangeIsZero) {
    EXPECT_EQ(percentDone(7, 7, 7), 0);
}

TEST(cgaugesPercent, ExtremeBoundsNeitherOverflowNorRound) {
    EXPECT_EQ(percentDone(kMin, kMax, kMax), 100);
    EXPECT_EQ(percentDone(kMin, kMax, kMin), 0);
    EXPECT_EQ(percentDone(kMin, kMax, 0), 50);
}

TEST(cgaugesShare, IsExactWhereFloatingPointWouldFallShort) {
    EXPECT_EQ(shareOfLength(33, 99), 32);
    // 0.29 * 100 is 28.999... in doubles.
    EXPECT_EQ(shareOfLength(29, 100), 29);
    EXPECT_EQ(shareOfLength(100, 99), 99);
    EXPECT_EQ(shareOfLength(0, 99), 0);
}

TEST(cgaugesBar, HorizontalFillOnAFramedGauge) {
    const Edges framed = paintingRect(QSize(100, 100), true);
    EXPECT_EQ(framed, (Edges{1, 1, 99, 99}));
    EXPECT_EQ(horizontalBarFill(33, framed), (Edges{1, 1, 32, 99}));
    EXPECT_EQ(pixelRect(horizontalBarFill(33, framed)), QRect(QPoint(1, 1), QPoint(31, 98)));
    // Full: exactly the inside of the frame.
    EXPECT_EQ(pixelRect(horizontalBarFill(100, framed)), QRect(QPoint(1, 1), QPoint(98, 98)));
    EXPECT_TRUE(pixelRect(horizontalBarFill(0, framed)).isEmpty());
}

TEST(cgaugesBar, VerticalFillStopsShortOfTheTop) {
    const Edges open = paintingRect(QSize(100, 100), false);
    EXPECT_EQ(open, (Edges{0, 0, 100, 100}));
    // H = 101; a full bar is limited to H - 1 and leaves row 0 empty.
    EXPECT_EQ(verticalBarFill(100, open), (Edges{0, 1, 101, 101}));

    const Edges framed = paintingRect(QSize(100, 100), true);
    EXPECT_EQ(pixelRect(verticalBarFill(100, framed)), QRect(QPoint(1, 1), QPoint(98, 98)));
    EXPECT_EQ(pixelRect(verticalBarFill(50, framed)), QRect(QPoint(1, 50), QPoint(98, 98)));
    EXPECT_TRUE(pixelRect(verticalBarFill(0, framed)).isEmpty());
}

TEST(cgaugesPie, SectorGrowsClockwiseFromTheTop) {
    const Edges dial{0, 0, 100, 100};
    const auto sector = [&](int percent) {
        return pieAngles(dial, pieStartPoint(percent, 50, 50), QPoint(50, 0));
    };
    // Qt counts angles counter-clockwise from three o'clock, in 1/16 degree.
    const PieAngles quarter = sector(25);
    EXPECT_NEAR(quarter.start16 / 16.0, 0.0, 1.5);
    EXPECT_NEAR(quarter.span16 / 16.0, 90.0, 1.5);
    const PieAngles half = sector(50);
    EXPECT_NEAR(half.start16 / 16.0, -90.0, 1.5);
    EXPECT_NEAR(half.span16 / 16.0, 180.0, 1.5);
    EXPECT_NEAR(sector(75).span16 / 16.0, 270.0, 1.5);
}

TEST(cgaugesPie, CoincidingRadialsGiveTheWholeEllipse) {
    const PieAngles whole = pieAngles(Edges{0, 0, 40, 20}, QPoint(40, 10), QPoint(30, 10));
    EXPECT_EQ(whole.start16, 0);
    EXPECT_EQ(whole.span16, 360 * 16);
    EXPECT_EQ(pieAngles(Edges{5, 5, 5, 20}, QPoint(0, 0), QPoint(1, 1)).span16, 0);
}

TEST(cgaugesNeedle, SweepsFromLeftOverTheTopToRight) {
    EXPECT_EQ(needleTip(0, 50, 98), QPoint(0, 98));
    const QPoint up = needleTip(50, 50, 98);
    EXPECT_NEAR(up.x(), 50, 1);
    EXPECT_LE(up.y(), 0);
    const QPoint right = needleTip(100, 50, 98);
    EXPECT_EQ(right.x(), 100);
    EXPECT_NEAR(right.y(), 98, 1);
}

TEST(cgaugesText, CentredOnTheRectangleSizeFromTheOrigin) {
    EXPECT_EQ(textOrigin(Edges{1, 1, 99, 99}, QSize(21, 13)), QPoint(39, 43));
    // Rounds toward zero when the text is wider than the gauge.
    EXPECT_EQ(textOrigin(Edges{0, 0, 10, 10}, QSize(14, 12)), QPoint(-1, 0));
}
