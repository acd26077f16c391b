#include "PerfgrapTestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace perfgrapTest;

namespace {

// A 100 × 100 graph without grid lines on a scale of 100, so one value unit is
// one pixel and the new strip is columns 97 to 99.
void plainSetup(TPerformanceGraph& graph, TPerformanceGraph::TGraphKind kind) {
    graph.SetGridlines(false);
    graph.SetKind(kind);
    graph.SetScale(100);
}

} // namespace

TEST(perfgrapGraph, StartsWithAnEmptyRingAndAFreshGrid) {
    TPerformanceGraph graph;
    EXPECT_EQ(graph.HistoryCapacity(), 100 / 3 + 2);
    EXPECT_EQ(graph.CurrentY(), 0);
    EXPECT_EQ(graph.FirstY(), 1);

    // Vertical lines from x = GridSize − 1 on, horizontal ones at multiples of GridSize.
    const QImage image = shot(graph);
    const QRgb grid = graph.ForeColor().rgb();
    EXPECT_EQ(pixel(image, 14, 3), grid);
    EXPECT_EQ(pixel(image, 29, 3), grid);
    EXPECT_EQ(pixel(image, 13, 3), black);
    EXPECT_EQ(pixel(image, 3, 15), grid);
    EXPECT_EQ(pixel(image, 3, 14), black);
}

TEST(perfgrapGraph, ScaleFollowsTheLargestHeldValueAndChangesOnlyOnce) {
    TPerformanceGraph graph;
    QSignalSpy scaleChanges(&graph, &TPerformanceGraph::OnScaleChange);

    step(graph, {{red, 1234}, {blue, 300}});
    EXPECT_EQ(graph.Scale(), 1300);
    ASSERT_EQ(scaleChanges.count(), 1);
    EXPECT_EQ(scaleChanges.at(0).at(0).value<TPerformanceGraph*>(), &graph);

    step(graph, {{red, 1234}});
    step(graph, {{red, 900}});
    EXPECT_EQ(graph.Scale(), 1300);
    EXPECT_EQ(scaleChanges.count(), 1);
}

TEST(perfgrapGraph, ScaleFallsWhenTheLargestBandLeavesTheRing) {
    TPerformanceGraph graph;
    graph.resize(9, 100);
    graph.ReallocHistory();
    const int capacity = graph.HistoryCapacity();
    ASSERT_EQ(capacity, 9 / 3 + 2);

    step(graph, {{red, 1234}});
    ASSERT_EQ(graph.Scale(), 1300);
    // The ring holds capacity − 1 closed steps (the visible ones and the oldest),
    // so the step after that many drops the first one.
    for (int i = 1; i < capacity - 1; ++i)
        step(graph, {{red, 450}});
    EXPECT_EQ(graph.Scale(), 1300);
    step(graph, {{red, 450}});
    EXPECT_EQ(graph.Scale(), 500);
}

TEST(perfgrapGraph, ScaleSetterRoundsButComparesTheAssignedValue) {
    TPerformanceGraph graph;
    QSignalSpy scaleChanges(&graph, &TPerformanceGraph::OnScaleChange);

    graph.SetScale(1234);
    EXPECT_EQ(graph.Scale(), 1300);
    EXPECT_EQ(scaleChanges.count(), 1);
    graph.SetScale(1234);
    EXPECT_EQ(scaleChanges.count(), 2);
    graph.SetScale(1300);
    EXPECT_EQ(scaleChanges.count(), 2);

    // A new Gradient does not round the current scale again.
    graph.SetGradient(1000);
    EXPECT_EQ(graph.Scale(), 1300);
    graph.SetScale(1234);
    EXPECT_EQ(graph.Scale(), 2000);
}

TEST(perfgrapGraph, OnScaleChangeComesBeforeTheNewBandIsDrawn) {
    TPerformanceGraph graph;
    plainSetup(graph, TPerformanceGraph::pgBar);
    QImage atSignal;
    int scaleAtSignal = 0;
    QObject::connect(&graph, &TPerformanceGraph::OnScaleChange, [&](TPerformanceGraph* sender) {
        atSignal = shot(*sender);
        scaleAtSignal = sender->Scale();
    });

    step(graph, {{red, 150}});

    EXPECT_EQ(scaleAtSignal, 200);
    ASSERT_FALSE(atSignal.isNull());
    EXPECT_EQ(pixel(atSignal, 98, 99), black);
    EXPECT_EQ(pixel(shot(graph), 98, 99), red);
}

TEST(perfgrapGraph, SeventeenthPointOfAStepIsRefused) {
    TPerformanceGraph graph;
    plainSetup(graph, TPerformanceGraph::pgBar);
    std::vector<QRgb> colours;
    for (int i = 0; i <= TPerformanceGraph::MaxPoints; ++i)
        colours.push_back(QColor::fromHsv(i * 21, 255, 255).rgb());

    // Running totals 5, 10, … 80: every series gets a segment of its own.
    for (int i = 0; i < TPerformanceGraph::MaxPoints; ++i)
        graph.DataPoint(QColor(colours[size_t(i)]), (i + 1) * 5);
    try {
        graph.DataPoint(QColor(colours.back()), 85);
        FAIL() << "a 17th point was accepted";
    } catch (const ERangeError& error) {
        EXPECT_STRNE(error.what(), "");
    }
    EXPECT_EQ(graph.Band(graph.CurrentY()).count, TPerformanceGraph::MaxPoints);

    graph.Update();
    const QImage image = shot(graph);
    for (int i = 0; i < TPerformanceGraph::MaxPoints; ++i)
        EXPECT_GT(countInColumn(image, 98, colours[size_t(i)]), 0) << "series " << i;
    EXPECT_FALSE(imageContains(image, colours.back()));
}

TEST(perfgrapGraph, BarsStackAsRunningTotalsAndZeroPointsAreSkipped) {
    TPerformanceGraph graph;
    plainSetup(graph, TPerformanceGraph::pgBar);

    step(graph, {{red, 30}, {green, 0}, {blue, 70}});
    const QImage image = shot(graph);

    // Red: base 0, height 30 → rows 100 − 0 − 30 − 1 = 69 to 99.
    // Blue stacks on 30, not on the skipped 0: rows 100 − 30 − 40 − 1 = 29 to 69.
    for (int x = 97; x < 100; ++x) {
        EXPECT_EQ(pixel(image, x, 99), red);
        EXPECT_EQ(pixel(image, x, 70), red);
        EXPECT_EQ(pixel(image, x, 69), blue);
        EXPECT_EQ(pixel(image, x, 29), blue);
        EXPECT_EQ(pixel(image, x, 28), black);
    }
    EXPECT_EQ(pixel(image, 96, 99), black);
    EXPECT_FALSE(imageContains(image, green));
}

TEST(perfgrapGraph, LinesStartWhereTheirSeriesEndedTheStepBefore) {
    TPerformanceGraph graph;
    plainSetup(graph, TPerformanceGraph::pgLine);
    graph.SetPenWidth(1);

    step(graph, {{red, 50}});
    // No red point before: the line rises from the bottom edge.
    EXPECT_EQ(pixel(shot(graph), 97, 99), red);

    step(graph, {{red, 50}, {blue, 80}});
    const QImage image = shot(graph);
    // Red continues at 50; blue is new and starts at the bottom edge.
    EXPECT_EQ(pixel(image, 97, 50), red);
    EXPECT_EQ(pixel(image, 97, 99), blue);
    EXPECT_EQ(countInColumn(image, 97, red), 1);
    // The first red line has moved one step to the left.
    EXPECT_EQ(pixel(image, 94, 99), red);
}

TEST(perfgrapGraph, PenWidthIsTheWidthOfTheSeriesLines) {
    for (int width : {1, 2, 3}) {
        TPerformanceGraph graph;
        plainSetup(graph, TPerformanceGraph::pgLine);
        graph.SetPenWidth(width);
        step(graph, {{red, 50}});
        step(graph, {{red, 50}});
        EXPECT_EQ(countInColumn(shot(graph), 98, red), width) << "pen width " << width;
    }
}

TEST(perfgrapGraph, NegativeValuesDrawAsZeroAndAZeroScaleDividesNothing) {
    TPerformanceGraph graph;
    plainSetup(graph, TPerformanceGraph::pgBar);
    QSignalSpy scaleChanges(&graph, &TPerformanceGraph::OnScaleChange);

    step(graph, {{red, -40}, {green, 0}});
    EXPECT_EQ(graph.Scale(), 0);
    EXPECT_EQ(scaleChanges.count(), 1);
    QImage image = shot(graph);
    EXPECT_FALSE(imageContains(image, red));
    EXPECT_FALSE(imageContains(image, green));

    // A negative point is not the base of the next one.
    step(graph, {{red, -50}, {blue, 30}});
    EXPECT_EQ(graph.Scale(), 100);
    image = shot(graph);
    EXPECT_EQ(pixel(image, 98, 99), blue);
    EXPECT_EQ(pixel(image, 98, 69), blue);
    EXPECT_EQ(pixel(image, 98, 68), black);
    EXPECT_FALSE(imageContains(image, red));

    // In line mode a negative start is the bottom edge.
    graph.SetKind(TPerformanceGraph::pgLine);
    graph.SetPenWidth(1);
    step(graph, {{red, 60}});
    EXPECT_EQ(pixel(shot(graph), 97, 99), red);
}

TEST(perfgrapGraph, SettersKeepGridAndStepSizesUsable) {
    TPerformanceGraph graph;
    graph.setProperty("GridSize", 1);
    EXPECT_EQ(graph.GridSize(), 2);
    graph.setProperty("StepSize", 0);
    EXPECT_EQ(graph.StepSize(), 1);
    EXPECT_EQ(graph.HistoryCapacity(), graph.width() + 2);
}

TEST(perfgrapGraph, ControlNarrowerThanAStepStillDraws) {
    TPerformanceGraph graph;
    plainSetup(graph, TPerformanceGraph::pgBar);
    graph.resize(2, 50);
    (void)shot(graph); // painting at the new size rebuilds the history
    EXPECT_EQ(graph.GetBandCount(), 0);
    ASSERT_EQ(graph.HistoryCapacity(), 2);

    for (int i = 0; i < 5; ++i)
        step(graph, {{red, 50}});
    const QImage image = shot(graph);
    EXPECT_EQ(pixel(image, 0, 49), red);
    EXPECT_EQ(pixel(image, 1, 49), red);
}
