#include "components/cgrid/GridGeometry.h"

#include <gtest/gtest.h>

using namespace Cgrid;

namespace {
const Layout kOrderings[] = {layoutOfOrdering(0), layoutOfOrdering(1), layoutOfOrdering(2),
                             layoutOfOrdering(3), layoutOfOrdering(4)};
}

TEST(cgridLayout, OrderingsSpreadSixteenCells) {
    const int expected[5][2] = {{16, 1}, {8, 2}, {4, 4}, {2, 8}, {1, 16}};
    for (int ordering = 0; ordering < 5; ++ordering) {
        EXPECT_EQ(kOrderings[ordering].columns, expected[ordering][0]) << ordering;
        EXPECT_EQ(kOrderings[ordering].rows, expected[ordering][1]) << ordering;
    }
    EXPECT_FALSE(isValidOrdering(-1));
    EXPECT_FALSE(isValidOrdering(5));
}

TEST(cgridLayout, ControlShrinksToWholeCells) {
    EXPECT_EQ(wholeCellSize(QSize(100, 100), Layout{16, 1}), QSize(96, 100));
    EXPECT_EQ(wholeCellSize(QSize(100, 100), Layout{4, 4}), QSize(100, 100));
    EXPECT_EQ(wholeCellSize(QSize(103, 50), Layout{2, 8}), QSize(102, 48));
    // Never below one pixel per cell.
    EXPECT_EQ(wholeCellSize(QSize(10, 0), Layout{16, 1}), QSize(16, 1));
}

TEST(cgridLayout, CellsRunRowByRow) {
    EXPECT_EQ(cellRect(0, Layout{4, 4}, QSize(25, 25)), QRect(0, 0, 25, 25));
    EXPECT_EQ(cellRect(6, Layout{4, 4}, QSize(25, 25)), QRect(50, 25, 25, 25));
    EXPECT_EQ(cellRect(15, Layout{16, 1}, QSize(6, 100)), QRect(90, 0, 6, 100));
    EXPECT_EQ(cellRect(9, Layout{8, 2}, QSize(10, 20)), QRect(10, 20, 10, 20));
}

TEST(cgridHit, PointsOutsidePickTheNearestCell) {
    const QSize control(100, 100);
    const QSize cell(25, 25);
    const Layout grid{4, 4};
    EXPECT_EQ(squareFromPos(30, 60, control, cell, grid), 9);
    EXPECT_EQ(squareFromPos(500, 60, control, cell, grid), 11); // beyond the right edge
    EXPECT_EQ(squareFromPos(30, 500, control, cell, grid), 13); // below the bottom
    EXPECT_EQ(squareFromPos(-40, -40, control, cell, grid), 0);
    EXPECT_EQ(squareFromPos(500, 500, control, cell, grid), 15);
    // Stretched past its whole cells by a layout: the last column reaches the edge.
    EXPECT_EQ(squareFromPos(99, 0, control, QSize(6, 100), Layout{16, 1}), 15);
}

TEST(cgridColours, SixteenStandardColoursSkipTheTints) {
    const auto& entries = defaultSystemPalette();
    const auto colourOf = [&](int cell) { return entryColor(entries[paletteEntryOfCell(cell)]); };
    EXPECT_EQ(colourOf(0), QColor(0, 0, 0));
    EXPECT_EQ(colourOf(4), QColor(0, 0, 128));
    EXPECT_EQ(colourOf(7), QColor(192, 192, 192));
    EXPECT_EQ(colourOf(8), QColor(128, 128, 128));
    EXPECT_EQ(colourOf(9), QColor(255, 0, 0));
    EXPECT_EQ(colourOf(11), QColor(255, 255, 0));
    EXPECT_EQ(colourOf(15), QColor(255, 255, 255));
}

TEST(cgridColours, LabelContrastsChannelByChannel) {
    EXPECT_EQ(labelTextColor(QColor(255, 255, 255)), QColor(0, 0, 0));
    EXPECT_EQ(labelTextColor(QColor(0, 0, 0)), QColor(255, 255, 255));
    EXPECT_EQ(labelTextColor(QColor(255, 255, 0)), QColor(0, 0, 255));
    EXPECT_EQ(labelTextColor(QColor(0, 0, 128)), QColor(255, 255, 0));
    EXPECT_EQ(labelTextColor(QColor(127, 128, 192)), QColor(255, 0, 0));
}

TEST(cgridKeys, UpAndDownWrapThroughTheColumns) {
    const Layout grid{4, 4};
    EXPECT_EQ(moveSelection(Move::Up, 9, grid), 5);
    EXPECT_EQ(moveSelection(Move::Up, 2, grid), 13); // bottom row, one column left
    EXPECT_EQ(moveSelection(Move::Up, 0, grid), 15);
    EXPECT_EQ(moveSelection(Move::Down, 5, grid), 9);
    EXPECT_EQ(moveSelection(Move::Down, 13, grid), 2); // top row, one column right
    EXPECT_EQ(moveSelection(Move::Down, 15, grid), 0);
    EXPECT_EQ(moveSelection(Move::Next, 15, grid), 0);
    EXPECT_EQ(moveSelection(Move::Previous, 0, grid), 15);
    EXPECT_EQ(moveSelection(Move::First, 7, grid), 0);
    EXPECT_EQ(moveSelection(Move::Last, 7, grid), 15);
    // One row: up and down step sideways.
    EXPECT_EQ(moveSelection(Move::Up, 5, Layout{16, 1}), 4);
    EXPECT_EQ(moveSelection(Move::Down, 5, Layout{16, 1}), 6);
}

TEST(cgridKeys, DownUndoesUpEverywhereInEveryOrdering) {
    for (const Layout& grid : kOrderings) {
        for (int cell = 0; cell < kCellCount; ++cell) {
            const int up = moveSelection(Move::Up, cell, grid);
            ASSERT_GE(up, 0);
            ASSERT_LT(up, kCellCount);
            EXPECT_EQ(moveSelection(Move::Down, up, grid), cell) << grid.columns << " " << cell;
            EXPECT_EQ(moveSelection(Move::Previous, moveSelection(Move::Next, cell, grid), grid),
                      cell);
        }
    }
}

TEST(cgridKeys, OnlyNavigationKeysMove) {
    EXPECT_EQ(moveOfKey(Qt::Key_Space), Move::Next);
    EXPECT_EQ(moveOfKey(Qt::Key_Right), Move::Next);
    EXPECT_EQ(moveOfKey(Qt::Key_End), Move::Last);
    EXPECT_FALSE(moveOfKey(Qt::Key_PageUp).has_value());
    EXPECT_FALSE(moveOfKey(Qt::Key_F).has_value());
}
