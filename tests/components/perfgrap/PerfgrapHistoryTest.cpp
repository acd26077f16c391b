#include "PerfgrapTestSupport.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace perfgrapTest;

namespace {

// A varied but repeatable series value for step i.
int sample(int i, int series) {
    return (i * 37 + series * 53) % 90 + (i % 11 == 0 ? 400 : 0);
}

void feed(TPerformanceGraph& graph, int steps, int offset = 0) {
    for (int i = offset; i < offset + steps; ++i) {
        graph.DataPoint(QColor(red), sample(i, 0));
        graph.DataPoint(QColor(green), sample(i, 0) + sample(i, 1));
        if (i % 3 != 0)
            graph.DataPoint(QColor(blue), sample(i, 0) + sample(i, 1) + sample(i, 2));
        graph.Update();
    }
}

// Pixels per band in bar mode on a scale of 100 with a 100 pixel high image.
int barPixels(int value) {
    return value + 1;
}

} // namespace

// Scrolling strip by strip must leave exactly the picture a full redraw from the
// history gives, grid lines included.
class perfgrapReplay
    : public ::testing::TestWithParam<std::tuple<TPerformanceGraph::TGraphKind, int, int>> {};

TEST_P(perfgrapReplay, IncrementalDrawingMatchesAFullRedraw) {
    const auto [kind, stepSize, gridSize] = GetParam();
    TPerformanceGraph graph;
    graph.SetKind(kind);
    graph.SetStepSize(stepSize);
    graph.SetGridSize(gridSize);
    // A whole number of strips, so no leftover columns show older bands.
    graph.resize(100 / stepSize * stepSize, 80);
    (void)shot(graph);

    feed(graph, 3 * graph.HistoryCapacity());
    const QImage scrolled = shot(graph);
    graph.Replay();
    EXPECT_TRUE(scrolled == shot(graph));
}

INSTANTIATE_TEST_SUITE_P(
    kindsAndSteps, perfgrapReplay,
    ::testing::Values(std::make_tuple(TPerformanceGraph::pgBar, 3, 15),
                      std::make_tuple(TPerformanceGraph::pgLine, 3, 15),
                      std::make_tuple(TPerformanceGraph::pgLine, 4, 7),
                      // Steps wider than the grid bring several vertical lines at once.
                      std::make_tuple(TPerformanceGraph::pgBar, 7, 2),
                      std::make_tuple(TPerformanceGraph::pgLine, 11, 4)));

TEST(perfgrapHistory, ShrinkingKeepsTheNewestBandsAndShowsThemInOrder) {
    TPerformanceGraph graph;
    graph.SetGridlines(false);
    graph.SetKind(TPerformanceGraph::pgBar);
    graph.SetScale(100);
    graph.resize(30, 100);
    (void)shot(graph);
    for (int i = 1; i <= 20; ++i)
        step(graph, {{red, i * 4}});
    const std::vector<int> before = firstValuesOldestFirst(graph);

    graph.resize(15, 100);
    const QImage image = shot(graph); // painting at the new width rebuilds the ring
    const int capacity = graph.HistoryCapacity();
    ASSERT_EQ(capacity, 15 / 3 + 2);
    const std::vector<int> after = firstValuesOldestFirst(graph);
    EXPECT_EQ(after, std::vector<int>(before.end() - capacity, before.end()));
    EXPECT_EQ(graph.FirstY(), 0);
    EXPECT_EQ(graph.CurrentY(), capacity - 1);

    // Strips from the left show the bands after the oldest one; the band being
    // filled lies beyond the right edge.
    for (int strip = 0; strip < graph.GetBandCount(); ++strip)
        EXPECT_EQ(countInColumn(image, strip * 3 + 1, red), barPixels(after[size_t(strip) + 1]))
            << "strip " << strip;
}

TEST(perfgrapHistory, GrowingContinuesRightBesideTheLastBand) {
    TPerformanceGraph graph;
    graph.SetGridlines(false);
    graph.SetKind(TPerformanceGraph::pgBar);
    graph.SetScale(100);
    graph.resize(15, 100);
    (void)shot(graph);
    for (int i = 1; i <= 10; ++i)
        step(graph, {{red, i * 4}});

    graph.resize(30, 100);
    (void)shot(graph);
    ASSERT_EQ(graph.HistoryCapacity(), 30 / 3 + 2);
    EXPECT_EQ(graph.FirstY(), (graph.CurrentY() + 1) % graph.HistoryCapacity());

    step(graph, {{red, 90}});
    const QImage scrolled = shot(graph);
    EXPECT_EQ(countInColumn(scrolled, 28, red), barPixels(90));
    EXPECT_EQ(countInColumn(scrolled, 25, red), barPixels(40));
    EXPECT_EQ(countInColumn(scrolled, 22, red), barPixels(36));
    graph.Replay();
    EXPECT_TRUE(scrolled == shot(graph));
}
