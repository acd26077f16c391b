#include "dialogs/StringGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int TextIndent = 2;

// Fixed cells look like header sections; the rest is drawn as usual.
class FixedCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!StringGrid::isFixedCell(index.row(), index.column())) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        // The cell is disabled so that it never becomes current; it is still
        // drawn in the active colours.
        QPalette palette = option.palette;
        palette.setCurrentColorGroup(QPalette::Active);
        QStyleOptionHeader header;
        header.rect = option.rect;
        header.palette = palette;
        header.fontMetrics = option.fontMetrics;
        header.state = QStyle::State_Enabled | QStyle::State_Raised;
        header.position = QStyleOptionHeader::Middle;
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        painter->save();
        style->drawControl(QStyle::CE_HeaderSection, &header, painter, widget);
        painter->setPen(palette.color(QPalette::ButtonText));
        painter->drawText(option.rect.adjusted(TextIndent, 0, -TextIndent, 0),
                          Qt::AlignLeft | Qt::AlignVCenter, index.data(Qt::DisplayRole).toString());
        painter->restore();
    }
};

} // namespace

StringGrid::StringGrid(int rowCount, int columnCount, QWidget* parent)
    : QTableWidget(rowCount, columnCount, parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setShowGrid(true);
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setItemDelegate(new FixedCellDelegate(this));
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    for (int row = 0; row < rowCount; ++row) {
        for (int column = 0; column < columnCount; ++column) {
            auto* cell = new QTableWidgetItem;
            // A disabled cell is skipped by the cursor keys and ignores the mouse.
            if (isFixedCell(row, column))
                cell->setFlags(Qt::NoItemFlags);
            setItem(row, column, cell);
        }
    }
    if (rowCount > 1 && columnCount > 1)
        setCurrentCell(1, 1);
}

QString StringGrid::cellText(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

void StringGrid::setCellText(int row, int column, const QString& text) {
    if (QTableWidgetItem* cell = item(row, column))
        cell->setText(text);
}

void StringGrid::setCellHeights(int height) {
    const int section = height + GridLineWidth;
    verticalHeader()->setMinimumSectionSize(section);
    verticalHeader()->setDefaultSectionSize(section);
    for (int row = 0; row < rowCount(); ++row)
        setRowHeight(row, section);
}

void StringGrid::setCellWidth(int column, int width) {
    setColumnWidth(column, width + GridLineWidth);
}

void StringGrid::commitEditing() {
    if (!isEditingCell())
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}
