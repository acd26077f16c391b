#pragma once

// The pieces that let a QTableView act as the calendar's grid: a 7 × 7 model
// that answers the cells' texts (for accessibility and item queries) and a
// delegate that paints each cell's background, highlight and grid lines and
// then leaves the text to TCCalendar::DrawCell.

#include <QAbstractTableModel>
#include <QStyledItemDelegate>

class TCCalendar;

namespace Ccalendr {

class CalendarCellModel : public QAbstractTableModel {
    Q_OBJECT
public:
    CalendarCellModel(const TCCalendar& calendar, QObject* parent);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Every cell's text may have changed.
    void refresh();

    static constexpr int rows = 7;
    static constexpr int columns = 7;

private:
    const TCCalendar& calendar_;
};

class CalendarCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    CalendarCellDelegate(TCCalendar& calendar, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    TCCalendar& calendar_;
};

} // namespace Ccalendr
