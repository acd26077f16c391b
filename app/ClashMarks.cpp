#include "app/ClashMarks.h"

#include "app/LargeView.h"

#include <QAction>
#include <QApplication>
#include <QStringList>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <algorithm>

namespace {

// The list column whose cell carries the mark: "項目" has room for an icon,
// the narrow "No." column does not.
constexpr int MarkedColumn = 1;

// Rows keep the height of their text: a mark never makes the list taller than
// its nine rows, however large the style's margins around an icon.
class MarkedRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const override {
        QStyleOptionViewItem plain(option);
        initStyleOption(&plain, index);
        plain.features &= ~QStyleOptionViewItem::HasDecoration;
        plain.icon = QIcon();
        const QWidget* widget = option.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        return style->sizeFromContents(QStyle::CT_ItemViewItem, &plain, QSize(), widget);
    }
};

QStringList foldersOf(const TDestinations& destinations) {
    QStringList folders(DestinationCount);
    for (const TDestination& destination : destinations)
        if (destination.Number >= 1 && destination.Number <= DestinationCount)
            folders[destination.Number - 1] = destination.Directory;
    return folders;
}

ClashMark markOf(const Clash& clash) {
    return clash.content == Clash::Content::Same ? ClashMark::SameContent : ClashMark::NameTaken;
}

size_t indexOf(ClashMark mark) {
    return size_t(mark);
}

} // namespace

ClashMarks::ClashMarks(QTreeWidget* list, const std::array<QAction*, DestinationCount>& buttons,
                       QObject* parent)
    : QObject(parent), list_(list), buttons_(buttons) {
    // A mark no taller than the text, in rows as high as before.
    const int markSize = std::clamp(list_->fontMetrics().ascent(), 10, 16);
    list_->setIconSize(QSize(markSize, markSize));
    list_->setItemDelegate(new MarkedRowDelegate(list_));
    for (size_t i = 0; i < buttons_.size(); ++i)
        buttonHints_[i] = buttons_[i]->toolTip();
    connect(&check_, &ClashCheck::changed, this, &ClashMarks::apply);
}

void ClashMarks::setLargeView(TfrmLargeView* view) {
    largeView_ = view;
    // The view starts unmarked: mark it as the rest shows now.
    for (int number = 1; number <= DestinationCount; ++number) {
        const size_t i = size_t(number - 1);
        view->setClashMark(number, markIconFor(shown_[i]), shownText_[i]);
    }
}

void ClashMarks::show(const QString& picture, const TDestinations& destinations) {
    check_.check(picture, foldersOf(destinations));
}

void ClashMarks::refresh(const TDestinations& destinations) {
    check_.recheck(foldersOf(destinations));
}

void ClashMarks::clear() {
    check_.clear();
}

void ClashMarks::apply() {
    for (int number = 1; number <= DestinationCount; ++number) {
        const Clash* clash = check_.clashAt(number);
        if (clash)
            mark(number, markOf(*clash), clashDescription(*clash));
        else
            mark(number, ClashMark::None, {});
    }
}

void ClashMarks::mark(int number, ClashMark mark, const QString& description) {
    const size_t i = size_t(number - 1);
    if (shown_[i] == mark && shownText_[i] == description)
        return;
    shown_[i] = mark;
    shownText_[i] = description;

    QTreeWidgetItem* row = list_->topLevelItem(settings::listRowOfDestination(number));
    row->setIcon(MarkedColumn, markIconFor(mark));
    for (int column = 0; column < list_->columnCount(); ++column)
        row->setToolTip(column, description);

    QAction* button = buttons_[i];
    button->setIcon(digitIconFor(number, mark));
    button->setToolTip(description.isEmpty() ? buttonHints_[i]
                                             : buttonHints_[i] + u'\n' + description);

    if (largeView_)
        largeView_->setClashMark(number, markIconFor(mark), description);
}

const QIcon& ClashMarks::digitIconFor(int number, ClashMark mark) {
    QIcon& icon = digitIcons_[size_t(number - 1)][indexOf(mark)];
    if (icon.isNull())
        icon = digitIcon(number, mark);
    return icon;
}

const QIcon& ClashMarks::markIconFor(ClashMark mark) {
    QIcon& icon = markIcons_[indexOf(mark)];
    if (icon.isNull() && mark != ClashMark::None)
        icon = clashMarkIcon(mark);
    return icon;
}
