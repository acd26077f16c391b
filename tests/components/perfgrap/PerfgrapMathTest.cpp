#include "components/perfgrap/PerfgrapMath.h"

#include <gtest/gtest.h>
#include <limits>

using namespace Perfgrap;

TEST(perfgrapMath, RoundUpGoesToTheNextMultipleOnlyWhenThereIsARemainder) {
    EXPECT_EQ(RoundUp(1234, 100), 1300);
    EXPECT_EQ(RoundUp(1200, 100), 1200);
    EXPECT_EQ(RoundUp(1, 100), 100);
    EXPECT_EQ(RoundUp(0, 100), 0);
    EXPECT_EQ(RoundUp(1234, 0), 1234);
    // Truncating division: −150 div 100 is −1, so the next multiple is 0.
    EXPECT_EQ(RoundUp(-150, 100), 0);
    EXPECT_EQ(RoundUp(-200, 100), -200);
}

TEST(perfgrapMath, RoundUpStaysInsideTheIntegerRange) {
    constexpr qint32 largest = std::numeric_limits<qint32>::max();
    constexpr qint32 smallest = std::numeric_limits<qint32>::min();
    EXPECT_EQ(RoundUp(largest, 100), largest);
    EXPECT_EQ(RoundUp(smallest, -1), smallest);
    EXPECT_EQ(RoundUp(largest - 4, 2), largest - 3);
}

TEST(perfgrapMath, ScaledHeightTruncatesTheShareOfTheImageHeight) {
    EXPECT_EQ(ScaledHeight(50, 100, 100), 50);
    EXPECT_EQ(ScaledHeight(1, 3, 100), 33);
    EXPECT_EQ(ScaledHeight(2, 3, 100), 66);
    EXPECT_EQ(ScaledHeight(1300, 1300, 80), 80);
    EXPECT_EQ(ScaledHeight(2600, 1300, 80), 160);
}

TEST(perfgrapMath, ScaledHeightNeverDividesByZeroNorGoesBelowTheBottom) {
    EXPECT_EQ(ScaledHeight(50, 0, 100), 0);
    EXPECT_EQ(ScaledHeight(50, -100, 100), 0);
    EXPECT_EQ(ScaledHeight(-50, 100, 100), 0);
    EXPECT_EQ(ScaledHeight(50, 100, 0), 0);
    // A huge value on a tiny scale is capped, not an overflowing conversion.
    const int huge = ScaledHeight(std::numeric_limits<qint32>::max(), 1, 1'000'000);
    EXPECT_GT(huge, 1'000'000);
    EXPECT_LT(huge, std::numeric_limits<int>::max() / 4);
}

TEST(perfgrapMath, RingHasTwoSlotsMoreThanTheVisibleBands) {
    EXPECT_EQ(HistoryCapacity(100, 3), 35);
    EXPECT_EQ(HistoryCapacity(2, 3), 2);
    EXPECT_EQ(HistoryCapacity(0, 3), 2);
    EXPECT_EQ(FloorMod(-1, 15), 14);
}
