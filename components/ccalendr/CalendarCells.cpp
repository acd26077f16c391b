#include "components/ccalendr/CalendarCells.h"

#include "components/ccalendr/Ccalendr.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace Ccalendr {

CalendarCellModel::CalendarCellModel(const TCCalendar& calendar, QObject* parent)
    : QAbstractTableModel(parent), calendar_(calendar) {}

int CalendarCellModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows;
}

int CalendarCellModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns;
}

QVariant CalendarCellModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return calendar_.GetCellText(index.column(), index.row());
}

Qt::ItemFlags CalendarCellModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    // The day-name row is a fixed row: shown, never current.
    if (index.row() == 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void CalendarCellModel::refresh() {
    emit dataChanged(index(0, 0), index(rows - 1, columns - 1), {Qt::DisplayRole});
}

CalendarCellDelegate::CalendarCellDelegate(TCCalendar& calendar, QObject* parent)
    : QStyledItemDelegate(parent), calendar_(calendar) {}

void CalendarCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const int line = calendar_.GridLineWidth();
    // Each section holds its cell followed by the grid line to its right and below.
    const QRect cell = option.rect.adjusted(0, 0, -line, -line);

    QPalette::ColorGroup group = QPalette::Disabled;
    if (option.state & QStyle::State_Enabled)
        group = (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;

    TCCalendar::TGridDrawState state;
    if (option.state & QStyle::State_Selected)
        state |= TCCalendar::gdSelected;
    if (option.state & QStyle::State_HasFocus)
        state |= TCCalendar::gdFocused;
    if (index.row() == 0)
        state |= TCCalendar::gdFixed;

    QColor background = option.palette.color(group, QPalette::Base);
    QColor text = option.palette.color(group, QPalette::Text);
    if (state & TCCalendar::gdFixed) {
        background = option.palette.color(group, QPalette::Button);
        text = option.palette.color(group, QPalette::ButtonText);
    } else if ((state & TCCalendar::gdSelected) && calendar_.hasFocus()) {
        background = option.palette.color(group, QPalette::Highlight);
        text = option.palette.color(group, QPalette::HighlightedText);
    } else if (state & TCCalendar::gdSelected) {
        // Without the keyboard the current day stays marked, but quietly.
        background = option.palette.color(group, QPalette::Midlight);
    }

    painter->save();
    if (line > 0) {
        // Lines only between cells: the widget's frame already closes the last column and row.
        const QColor grid = option.palette.color(group, QPalette::Mid);
        if (index.column() + 1 < CalendarCellModel::columns)
            painter->fillRect(
                QRect(cell.right() + 1, option.rect.top(), line, option.rect.height()), grid);
        if (index.row() + 1 < CalendarCellModel::rows)
            painter->fillRect(
                QRect(option.rect.left(), cell.bottom() + 1, option.rect.width(), line), grid);
    }
    painter->fillRect(cell, background);
    painter->setPen(text);
    painter->setFont(option.font);
    calendar_.DrawCell(*painter, index.column(), index.row(), cell, state);

    if ((state & TCCalendar::gdSelected) && calendar_.hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = cell;
        focus.backgroundColor = background;
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}

} // namespace Ccalendr
