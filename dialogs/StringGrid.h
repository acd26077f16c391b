#pragma once

// A grid of text cells whose first row and first column are fixed: they are
// drawn as headers and can never become current, be selected or be edited.
// Every other cell is edited in place (typing, F2, a double-click or a click on
// the current cell start; Enter or leaving the cell keeps the text, Esc drops
// the edit) and a rectangular range of them can be selected. All rows share
// one height and no scroll bars are shown.

#include <QTableWidget>

class StringGrid : public QTableWidget {
    Q_OBJECT
public:
    StringGrid(int rowCount, int columnCount, QWidget* parent = nullptr);

    [[nodiscard]] static bool isFixedCell(int row, int column) { return row == 0 || column == 0; }

    [[nodiscard]] QString cellText(int row, int column) const;
    void setCellText(int row, int column, const QString& text);

    // Cell sizes leave out the grid line, which the grid draws between cells.
    static constexpr int GridLineWidth = 1;
    void setCellHeights(int height);
    void setCellWidth(int column, int width);
    // The row of the focused cell; the grid starts at the first editable cell.
    [[nodiscard]] int currentGridRow() const { return currentRow(); }
    [[nodiscard]] bool isEditingCell() const { return state() == EditingState; }
    // Ends an edit in progress, keeping what was typed in the cell.
    void commitEditing();
};
