#include "components/cgrid/GridGeometry.h"

#include <QtCore/qnamespace.h>
#include <algorithm>

namespace Cgrid {

const std::array<PaletteEntry, 20>& defaultSystemPalette() {
    static const std::array<PaletteEntry, 20> entries{{
        {0, 0, 0, 0},       // black
        {128, 0, 0, 0},     // dark red
        {0, 128, 0, 0},     // dark green
        {128, 128, 0, 0},   // olive
        {0, 0, 128, 0},     // navy
        {128, 0, 128, 0},   // purple
        {0, 128, 128, 0},   // teal
        {192, 192, 192, 0}, // silver
        {192, 220, 192, 0}, // pale green tint
        {166, 202, 240, 0}, // pale blue tint
        {255, 251, 240, 0}, // cream tint
        {160, 160, 164, 0}, // medium grey tint
        {128, 128, 128, 0}, // grey
        {255, 0, 0, 0},     // red
        {0, 255, 0, 0},     // lime
        {255, 255, 0, 0},   // yellow
        {0, 0, 255, 0},     // blue
        {255, 0, 255, 0},   // magenta
        {0, 255, 255, 0},   // cyan
        {255, 255, 255, 0}, // white
    }};
    return entries;
}

int paletteEntryOfCell(int cell) {
    return cell < 8 ? cell : cell + 4;
}

QColor entryColor(const PaletteEntry& entry) {
    return QColor(entry.red, entry.green, entry.blue);
}

bool isValidOrdering(int ordering) {
    return ordering >= 0 && ordering <= 4;
}

Layout layoutOfOrdering(int ordering) {
    return {kCellCount >> ordering, 1 << ordering};
}

int cellExtent(int extent, int count) {
    return std::max(1, extent / count);
}

QSize wholeCellSize(QSize control, Layout layout) {
    return {cellExtent(control.width(), layout.columns) * layout.columns,
            cellExtent(control.height(), layout.rows) * layout.rows};
}

QRect cellRect(int cell, Layout layout, QSize cellSize) {
    const int column = cell % layout.columns;
    const int row = cell / layout.columns;
    return {column * cellSize.width(), row * cellSize.height(), cellSize.width(),
            cellSize.height()};
}

int squareFromPos(int x, int y, QSize control, QSize cellSize, Layout layout) {
    x = std::clamp(x, 0, std::max(0, control.width() - 1));
    y = std::clamp(y, 0, std::max(0, control.height() - 1));
    // A layout may have stretched the control past its whole cells; the
    // outermost cells then reach to the edge.
    const int column = std::min(x / std::max(1, cellSize.width()), layout.columns - 1);
    const int row = std::min(y / std::max(1, cellSize.height()), layout.rows - 1);
    return row * layout.columns + column;
}

QColor labelTextColor(const QColor& cell) {
    const auto contrast = [](int channel) { return channel >= 128 ? 0 : 255; };
    return QColor(contrast(cell.red()), contrast(cell.green()), contrast(cell.blue()));
}

int moveSelection(Move move, int selection, Layout layout) {
    const int count = layout.columns * layout.rows;
    const int columns = layout.columns;
    switch (move) {
    case Move::Next:
        return selection + 1 < count ? selection + 1 : 0;
    case Move::Previous:
        return selection > 0 ? selection - 1 : count - 1;
    case Move::Up:
        if (selection >= columns)
            return selection - columns;
        return selection != 0 ? count - columns + selection - 1 : count - 1;
    case Move::Down:
        if (selection + columns < count)
            return selection + columns;
        return selection == count - 1 ? 0 : selection % columns + 1;
    case Move::First:
        return 0;
    case Move::Last:
        return count - 1;
    }
    return selection;
}

std::optional<Move> moveOfKey(int key) {
    switch (key) {
    case Qt::Key_Right:
    case Qt::Key_Space:
        return Move::Next;
    case Qt::Key_Left:
        return Move::Previous;
    case Qt::Key_Up:
        return Move::Up;
    case Qt::Key_Down:
        return Move::Down;
    case Qt::Key_Home:
        return Move::First;
    case Qt::Key_End:
        return Move::Last;
    default:
        return std::nullopt;
    }
}

} // namespace Cgrid
