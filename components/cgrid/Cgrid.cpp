#include "components/cgrid/Cgrid.h"

#include <QFocusEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

Q_LOGGING_CATEGORY(lcColorGrid, "sorteka.components.cgrid", QtWarningMsg)

namespace {

constexpr int kLastCell = Cgrid::kCellCount - 1;

QString outOfRangeText(int low, int high) {
    return QString::asprintf("%d から %d の間の値でなければなりません", low, high);
}

bool isCell(int value) {
    return value >= 0 && value <= kLastCell;
}

void requireCell(int value) {
    if (!isCell(value))
        throw ECColorGridError(outOfRangeText(0, kLastCell));
}

// The rectangle to hand QPainter::drawRect so its 1-pixel outline lies on the
// outermost pixels of `pixels`.
QRect outline(const QRect& pixels) {
    return pixels.adjusted(0, 0, -1, -1);
}

// A sunken frame `width` rings deep: top and left in `topLeft`, bottom and
// right in `bottomRight`, each ring one pixel inside the last. Answers the
// rectangle inside the frame.
QRect drawFrame3D(QPainter& canvas, QRect rect, const QColor& topLeft, const QColor& bottomRight,
                  int width) {
    for (int ring = 0; ring < width && rect.width() > 0 && rect.height() > 0; ++ring) {
        canvas.setPen(topLeft);
        canvas.drawLine(rect.left(), rect.top(), rect.right() - 1, rect.top());
        canvas.drawLine(rect.left(), rect.top(), rect.left(), rect.bottom() - 1);
        canvas.setPen(bottomRight);
        canvas.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
        canvas.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
        rect.adjust(1, 1, -1, -1);
    }
    return rect;
}

// A dotted outline that inverts every other pixel, so it shows on any colour
// and drawing it twice removes it.
void drawFocusRect(QPainter& canvas, const QRect& rect) {
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    QPolygon dots;
    const auto dot = [&](int x, int y) {
        if ((x + y) % 2 == 0)
            dots << QPoint(x, y);
    };
    for (int x = rect.left(); x <= rect.right(); ++x) {
        dot(x, rect.top());
        if (rect.bottom() != rect.top())
            dot(x, rect.bottom());
    }
    for (int y = rect.top() + 1; y < rect.bottom(); ++y) {
        dot(rect.left(), y);
        if (rect.right() != rect.left())
            dot(rect.right(), y);
    }
    canvas.save();
    canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    canvas.setPen(Qt::white);
    canvas.drawPoints(dots);
    canvas.restore();
}

} // namespace

ECColorGridError::ECColorGridError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

TCColorGrid::TCColorGrid(QWidget* parent) : QWidget(parent) {
    // The colours are taken once; later changes to the table are not seen.
    paletteEntries_ = Cgrid::defaultSystemPalette();
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A grid whose keys do anything must be reachable by Tab and by a click.
    setFocusPolicy(Qt::StrongFocus);
    setGeometry(0, 0, 100, 100);
    UpdateCellSizes(false);
}

bool TCColorGrid::TabStop() const {
    return (focusPolicy() & Qt::TabFocus) != 0;
}

QColor TCColorGrid::cellColor(int cell) const {
    if (!isCell(cell))
        return {};
    return Cgrid::entryColor(paletteEntries_[Cgrid::paletteEntryOfCell(cell)]);
}

void TCColorGrid::SetGridOrdering(TGridOrdering value) {
    if (!Cgrid::isValidOrdering(value))
        throw ECColorGridError(outOfRangeText(go16x1, go1x16));
    if (value == gridOrdering_)
        return;
    gridOrdering_ = value;
    layout_ = Cgrid::layoutOfOrdering(value);
    UpdateCellSizes(true);
}

void TCColorGrid::SetForegroundIndex(int value) {
    requireCell(value);
    if (value == foregroundIndex_ || !foregroundEnabled_)
        return;
    storeForeground(value);
}

void TCColorGrid::SetBackgroundIndex(int value) {
    requireCell(value);
    if (value == backgroundIndex_ || !backgroundEnabled_)
        return;
    storeBackground(value);
}

void TCColorGrid::storeForeground(int cell) {
    foregroundIndex_ = cell;
    update();
    Change();
}

void TCColorGrid::storeBackground(int cell) {
    backgroundIndex_ = cell;
    update();
    Change();
}

void TCColorGrid::EnableForeground(bool value) {
    if (value == foregroundEnabled_)
        return;
    foregroundEnabled_ = value;
    update();
}

void TCColorGrid::EnableBackground(bool value) {
    if (value == backgroundEnabled_)
        return;
    backgroundEnabled_ = value;
    update();
}

void TCColorGrid::SetSelection(int value) {
    requireCell(value);
    if (value == selection_)
        return;
    selection_ = value;
    update();
}

void TCColorGrid::SetCtl3D(bool value) {
    if (value == ctl3D_)
        return;
    ctl3D_ = value;
    update();
}

void TCColorGrid::SetTabStop(bool value) {
    setFocusPolicy(value ? Qt::StrongFocus : Qt::NoFocus);
}

void TCColorGrid::loadGridOrdering(TGridOrdering value) {
    if (!Cgrid::isValidOrdering(value)) {
        qCInfo(lcColorGrid) << "GridOrdering" << int(value) << "ignored";
        return;
    }
    SetGridOrdering(value);
}

void TCColorGrid::loadForegroundIndex(int value) {
    if (!isCell(value)) {
        qCInfo(lcColorGrid) << "ForegroundIndex" << value << "ignored";
        return;
    }
    SetForegroundIndex(value);
}

void TCColorGrid::loadBackgroundIndex(int value) {
    if (!isCell(value)) {
        qCInfo(lcColorGrid) << "BackgroundIndex" << value << "ignored";
        return;
    }
    SetBackgroundIndex(value);
}

void TCColorGrid::loadSelection(int value) {
    if (!isCell(value)) {
        qCInfo(lcColorGrid) << "Selection" << value << "ignored";
        return;
    }
    SetSelection(value);
}

int TCColorGrid::SquareFromPos(int x, int y) const {
    return Cgrid::squareFromPos(x, y, size(), cellSize_, layout_);
}

void TCColorGrid::UpdateCellSizes(bool repaint) {
    const QSize whole = Cgrid::wholeCellSize(size(), layout_);
    if (whole != size())
        resize(whole);
    cellSize_ = QSize(whole.width() / layout_.columns, whole.height() / layout_.rows);
    if (repaint)
        update();
}

void TCColorGrid::Change() {
    emit OnChange();
}

void TCColorGrid::Click() {
    emit OnClick();
}

void TCColorGrid::pickForeground(int cell) {
    if (!foregroundEnabled_ && clickEnablesColor_) {
        foregroundEnabled_ = true;
        storeForeground(cell);
        return;
    }
    SetForegroundIndex(cell);
}

void TCColorGrid::pickBackground(int cell) {
    if (!backgroundEnabled_ && clickEnablesColor_) {
        backgroundEnabled_ = true;
        storeBackground(cell);
        return;
    }
    SetBackgroundIndex(cell);
}

void TCColorGrid::DrawSquare(QPainter& canvas, int index, bool showSelector) const {
    if (!isCell(index))
        return;
    const QRect cell = Cgrid::cellRect(index, layout_, cellSize_);
    const QColor colour = cellColor(index);

    if (ctl3D_) {
        canvas.setPen(palette().color(QPalette::Button));
        canvas.setBrush(Qt::NoBrush);
        canvas.drawRect(outline(cell));
        const QRect framed = cell.adjusted(1, 1, -1, -1);
        // A narrow cell (16 in a row) gets a thinner frame: at least half of it shows the colour.
        const int frame = std::min(2, std::min(framed.width(), framed.height()) / 4);
        const QRect inside = drawFrame3D(canvas, framed, palette().color(QPalette::Dark),
                                         palette().color(QPalette::Light), frame);
        canvas.setPen(colour);
        canvas.setBrush(colour);
        if (inside.width() > 0 && inside.height() > 0)
            canvas.drawRect(outline(inside));
        if (showSelector)
            drawFocusRect(canvas, inside.width() > 2 && inside.height() > 2
                                      ? inside.adjusted(1, 1, -1, -1)
                                      : inside);
        return;
    }

    canvas.setPen(Qt::black);
    canvas.setBrush(colour);
    if (!showSelector) {
        canvas.drawRect(outline(cell));
        return;
    }
    // The outer outline inverts what the cell showed; inside it, a second black
    // outline two pixels in.
    canvas.fillRect(cell.adjusted(1, 1, -1, -1), colour);
    canvas.save();
    canvas.setCompositionMode(QPainter::RasterOp_NotDestination);
    canvas.setBrush(Qt::NoBrush);
    canvas.drawRect(outline(cell));
    canvas.restore();
    const QRect inner(QPoint(cell.left() + 2, cell.top() + 2),
                      QPoint(cell.right() - 2, cell.bottom() - 2));
    if (inner.width() > 0 && inner.height() > 0)
        canvas.drawRect(outline(inner));
}

void TCColorGrid::DrawFgBg(QPainter& canvas) const {
    const bool shared = foregroundIndex_ == backgroundIndex_;
    const auto label = [&](int cell, const QString& text) {
        if (!isCell(cell))
            return;
        // Inside the cell's frame; a label too large for it is drawn smaller, never beyond it.
        const QRect area = Cgrid::cellRect(cell, layout_, cellSize_).adjusted(2, 2, -2, -2);
        QFont labelFont = canvas.font();
        labelFont.setPixelSize(QFontInfo(labelFont).pixelSize());
        QFontMetrics metrics(labelFont);
        while (
            (metrics.horizontalAdvance(text) > area.width() || metrics.ascent() > area.height()) &&
            labelFont.pixelSize() > 5) {
            labelFont.setPixelSize(labelFont.pixelSize() - 1);
            metrics = QFontMetrics(labelFont);
        }
        canvas.save();
        canvas.setFont(labelFont);
        canvas.setClipRect(area);
        canvas.setPen(Cgrid::labelTextColor(cellColor(cell)));
        canvas.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, text);
        canvas.restore();
    };
    if (foregroundEnabled_ && backgroundEnabled_ && shared) {
        label(foregroundIndex_, QStringLiteral("FB"));
        return;
    }
    if (foregroundEnabled_)
        label(foregroundIndex_, QStringLiteral("FG"));
    if (backgroundEnabled_)
        label(backgroundIndex_, QStringLiteral("BG"));
}

void TCColorGrid::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    canvas.fillRect(rect(), palette().color(QPalette::Button));
    canvas.setFont(font());
    for (int index = 0; index < Cgrid::kCellCount; ++index)
        DrawSquare(canvas, index, false);
    if (hasFocus_)
        DrawSquare(canvas, selection_, true);
    DrawFgBg(canvas);
}

void TCColorGrid::resizeEvent(QResizeEvent*) {
    UpdateCellSizes(false);
}

void TCColorGrid::keyPressEvent(QKeyEvent* event) {
    emit OnKeyDown(event->key(), event->modifiers());
    switch (event->key()) {
    case Qt::Key_F:
        pickForeground(selection_);
        Click();
        return;
    case Qt::Key_B:
        pickBackground(selection_);
        Click();
        return;
    default:
        break;
    }
    const std::optional<Cgrid::Move> move = Cgrid::moveOfKey(event->key());
    if (!move) {
        // Not ours: the parent may use it (a dialog's Enter or Escape).
        event->ignore();
        return;
    }
    const int next = Cgrid::moveSelection(*move, selection_, layout_);
    if (next != selection_)
        SetSelection(next);
}

void TCColorGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
    mouseButton_ = event->button();
    buttonDown_ = true;
    const int cell = SquareFromPos(at.x(), at.y());
    if (mouseButton_ == Qt::LeftButton)
        pickForeground(cell);
    else
        pickBackground(cell);
    SetSelection(cell);
    if (TabStop())
        setFocus(Qt::MouseFocusReason);
}

void TCColorGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit OnMouseMove(event->modifiers(), at.x(), at.y());
    if (!buttonDown_)
        return;
    const int cell = SquareFromPos(at.x(), at.y());
    if (mouseButton_ == Qt::LeftButton)
        SetForegroundIndex(cell);
    else
        SetBackgroundIndex(cell);
    SetSelection(cell);
}

void TCColorGrid::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit OnMouseUp(event->button(), event->modifiers(), at.x(), at.y());
    const bool wasDown = buttonDown_;
    buttonDown_ = false;
    if (wasDown && event->button() == Qt::LeftButton && rect().contains(at))
        Click();
}

void TCColorGrid::focusInEvent(QFocusEvent* event) {
    hasFocus_ = true;
    update();
    QWidget::focusInEvent(event);
    emit OnEnter();
}

void TCColorGrid::focusOutEvent(QFocusEvent* event) {
    hasFocus_ = false;
    update();
    QWidget::focusOutEvent(event);
    emit OnExit();
}
