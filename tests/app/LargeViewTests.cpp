#include "app/LargeView.h"

#include <gtest/gtest.h>

namespace {

struct PlaceCase {
    const char* what;
    QRect place;
    QRect screen;
    QRect expected;
};

const QRect Fallback(100, 100, 400, 300);

} // namespace

TEST(LargeViewPlace, AKeptPlaceOpensOnTheScreenOrFallsBack) {
    const QRect screen(0, 0, 960, 600);
    const QRect second(1920, 0, 1280, 1024);
    const PlaceCase cases[] = {
        {"fits", {300, 200, 600, 380}, screen, {300, 200, 600, 380}},
        {"off to the right and below", {700, 500, 600, 380}, screen, {360, 220, 600, 380}},
        {"above and left of it", {-50, -20, 600, 380}, screen, {0, 0, 600, 380}},
        {"on a screen to the right", {2000, 100, 1000, 700}, second, {2000, 100, 1000, 700}},
        {"left of that screen", {1500, 100, 1000, 700}, second, {1920, 100, 1000, 700}},
        // Kept at scale 1, opened at scale 2: the screen is half as large.
        {"too wide", {300, 220, 1000, 500}, screen, Fallback},
        {"too high", {0, 0, 800, 700}, screen, Fallback},
        {"empty", {0, 0, 0, 0}, screen, Fallback},
    };
    for (const PlaceCase& c : cases)
        EXPECT_EQ(placeOnScreen(c.place, c.screen, Fallback), c.expected) << c.what;
}
