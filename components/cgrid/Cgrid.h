#pragma once

// TCColorGrid: the 16 standard colours as a grid of cells. The left mouse
// button or the F key picks the foreground colour, any other button or the B
// key the background colour; the chosen cells are labelled "FG", "BG", or "FB"
// when both fall on one cell. A keyboard cursor, the selection, moves over the
// cells with the arrow keys, Space, Home and End. The control always measures
// a whole number of cells.
//
// Event order: a mouse press emits OnMouseDown, then OnChange when an index
// changed; the F and B keys emit OnKeyDown, then OnChange, then OnClick.
//
// Decisions this widget makes:
// - Cell indices outside 0 to 15: `SetForegroundIndex`, `SetBackgroundIndex`
//   and `SetSelection` throw ECColorGridError and change nothing, and so does
//   `SetGridOrdering` with a value outside the five orderings. Writes through
//   Qt's property system (Qt Designer, forms built by uic or QUiLoader) never
//   throw: they ignore such a value and leave the property as it was.
// - One OnKeyDown per key press, also for keys the grid leaves alone; those
//   are passed on to the parent, as Qt does with keys a widget ignores.
// - A left click (press and release on the control) emits OnClick, as the F
//   key does.
// - The mouse stays with the grid while any button is held (Qt grabs it for
//   every button), so dragging outside picks the nearest cell.
// - Cells are at least one pixel: a control smaller than its columns or rows
//   grows to one pixel per cell instead of vanishing.
// - The cell sizes exist from construction on, not only after the first resize.

#include "components/cgrid/GridGeometry.h"

#include <QColor>
#include <QString>
#include <QWidget>
#include <array>
#include <stdexcept>

class QPainter;

// Raised by the grid's writers for values outside their range; carries the
// user-readable message.
class ECColorGridError : public std::runtime_error {
public:
    explicit ECColorGridError(const QString& message);
    [[nodiscard]] const QString& message() const noexcept { return message_; }

private:
    QString message_;
};

class TCColorGrid : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool ClickEnablesColor READ ClickEnablesColor WRITE SetClickEnablesColor)
    Q_PROPERTY(TGridOrdering GridOrdering READ GridOrdering WRITE loadGridOrdering)
    // The indices come before the switches that enable them, so a stored form
    // sets a disabled choice's index before disabling it.
    Q_PROPERTY(int ForegroundIndex READ ForegroundIndex WRITE loadForegroundIndex)
    Q_PROPERTY(int BackgroundIndex READ BackgroundIndex WRITE loadBackgroundIndex)
    Q_PROPERTY(bool ForegroundEnabled READ ForegroundEnabled WRITE EnableForeground)
    Q_PROPERTY(bool BackgroundEnabled READ BackgroundEnabled WRITE EnableBackground)
    Q_PROPERTY(int Selection READ Selection WRITE loadSelection)
    // Sunken 3D cells with a focus rectangle, or flat cells with a black outline.
    Q_PROPERTY(bool Ctl3D READ Ctl3D WRITE SetCtl3D)
    // Whether Tab reaches the grid and a click gives it the keyboard focus.
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)

public:
    enum TGridOrdering { go16x1, go8x2, go4x4, go2x8, go1x16 };
    Q_ENUM(TGridOrdering)

    explicit TCColorGrid(QWidget* parent = nullptr);

    [[nodiscard]] bool ClickEnablesColor() const { return clickEnablesColor_; }
    [[nodiscard]] TGridOrdering GridOrdering() const { return gridOrdering_; }
    [[nodiscard]] int ForegroundIndex() const { return foregroundIndex_; }
    [[nodiscard]] int BackgroundIndex() const { return backgroundIndex_; }
    [[nodiscard]] bool ForegroundEnabled() const { return foregroundEnabled_; }
    [[nodiscard]] bool BackgroundEnabled() const { return backgroundEnabled_; }
    [[nodiscard]] int Selection() const { return selection_; }
    [[nodiscard]] bool Ctl3D() const { return ctl3D_; }
    [[nodiscard]] bool TabStop() const;

    [[nodiscard]] QColor GetForegroundColor() const { return cellColor(foregroundIndex_); }
    [[nodiscard]] QColor GetBackgroundColor() const { return cellColor(backgroundIndex_); }
    // The colour of cell `cell` (0 to 15) in the palette read at construction.
    [[nodiscard]] QColor cellColor(int cell) const;
    [[nodiscard]] QSize cellSize() const { return cellSize_; }
    [[nodiscard]] int columns() const { return layout_.columns; }
    [[nodiscard]] int rows() const { return layout_.rows; }

    void SetClickEnablesColor(bool value) { clickEnablesColor_ = value; }
    void SetGridOrdering(TGridOrdering value);
    // Nothing happens while the foreground is disabled or the index is unchanged.
    void SetForegroundIndex(int value);
    void SetBackgroundIndex(int value);
    void EnableForeground(bool value);
    void EnableBackground(bool value);
    void SetSelection(int value);
    void SetCtl3D(bool value);
    void SetTabStop(bool value);

    // The cell under (x, y), limited to the control.
    [[nodiscard]] int SquareFromPos(int x, int y) const;
    // Rounds the control down to whole cells and recomputes the cell size.
    void UpdateCellSizes(bool repaint);

signals:
    // A foreground or background index changed.
    void OnChange();
    void OnClick();
    void OnKeyDown(int key, Qt::KeyboardModifiers shift);
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnEnter();
    void OnExit();

protected:
    virtual void Change();
    virtual void Click();

    void DrawSquare(QPainter& canvas, int index, bool showSelector) const;
    void DrawFgBg(QPainter& canvas) const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void loadGridOrdering(TGridOrdering value);
    void loadForegroundIndex(int value);
    void loadBackgroundIndex(int value);
    void loadSelection(int value);

    // The choice made by a click or the F/B key: a disabled choice is enabled
    // again when ClickEnablesColor allows, and then always counts as a change.
    void pickForeground(int cell);
    void pickBackground(int cell);
    void storeForeground(int cell);
    void storeBackground(int cell);

    std::array<Cgrid::PaletteEntry, 20> paletteEntries_{};
    bool clickEnablesColor_ = false;
    int foregroundIndex_ = 0;
    int backgroundIndex_ = 0;
    bool foregroundEnabled_ = true;
    bool backgroundEnabled_ = true;
    int selection_ = 0;
    QSize cellSize_;
    Cgrid::Layout layout_{4, 4};
    TGridOrdering gridOrdering_ = go4x4;
    bool hasFocus_ = false;
    bool ctl3D_ = true;
    Qt::MouseButton mouseButton_ = Qt::NoButton;
    bool buttonDown_ = false;
};

namespace Cgrid {
// Puts TCColorGrid on the component palette.
void Register();
} // namespace Cgrid
