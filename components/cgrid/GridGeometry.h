#pragma once

// The arithmetic behind the colour grid: the standard palette, the layouts of
// the 16 cells, cell geometry, hit testing, label colours and keyboard moves.
// Pure functions, checked without a widget.

#include <QColor>
#include <QRect>
#include <QSize>
#include <array>
#include <cstdint>
#include <optional>

namespace Cgrid {

inline constexpr int kCellCount = 16;

// One entry of the system palette: red, green, blue and flags.
struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t flags = 0;
};

// The 20 reserved entries of the desktop's default system palette: the 16
// standard colours plus 4 extra tints (entries 8 to 11).
[[nodiscard]] const std::array<PaletteEntry, 20>& defaultSystemPalette();

// Index into the 20 entries of cell `cell`: the tints are skipped.
[[nodiscard]] int paletteEntryOfCell(int cell);

[[nodiscard]] QColor entryColor(const PaletteEntry& entry);

struct Layout {
    int columns = 4;
    int rows = 4;
};

[[nodiscard]] bool isValidOrdering(int ordering);
// columns = 16 >> ordering, rows = 1 << ordering.
[[nodiscard]] Layout layoutOfOrdering(int ordering);

// The size of one cell when `extent` pixels are split into `count` cells; at
// least one pixel, so a grid never collapses to nothing.
[[nodiscard]] int cellExtent(int extent, int count);

// The control's size rounded down to whole cells.
[[nodiscard]] QSize wholeCellSize(QSize control, Layout layout);

// The rectangle of cell `cell`: column cell mod columns, row cell div columns.
[[nodiscard]] QRect cellRect(int cell, Layout layout, QSize cellSize);

// The cell under (x, y), a point that may lie outside the control (the mouse is
// held while a button is down): it is limited to the control first, so it
// picks the nearest cell in its row or column.
[[nodiscard]] int squareFromPos(int x, int y, QSize control, QSize cellSize, Layout layout);

// The label colour for a cell: per channel, 0 where the cell's channel is 128
// or more, else 255.
[[nodiscard]] QColor labelTextColor(const QColor& cell);

// Keys that move the keyboard selection.
enum class Move { Next, Previous, Up, Down, First, Last };

// The selection after `move` from `selection` in `layout`. Right and left wrap
// around the whole grid; up and down go through it column by column, leaving
// at the top into the bottom row one column to the left and at the bottom into
// the top row one column to the right.
[[nodiscard]] int moveSelection(Move move, int selection, Layout layout);

// The move a Qt key stands for, if any (Space moves like Right).
[[nodiscard]] std::optional<Move> moveOfKey(int key);

} // namespace Cgrid
