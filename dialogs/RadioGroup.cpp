#include "dialogs/RadioGroup.h"

#include <QRadioButton>
#include <algorithm>

int clampedItemIndex(int index, int count) {
    return std::clamp(index, -1, std::max(count, 0) - 1);
}

QRect radioItemRect(int index, int count, QSize boxSize, int fontHeight) {
    constexpr int Left = 8;
    constexpr int SideSpace = 10;  // left margin plus the frame on the right
    constexpr int BottomSpace = 5; // below the last slot, clear of the frame
    if (count <= 0)
        return {};
    const int usable = std::max(boxSize.height() - fontHeight - BottomSpace, 0);
    const int slot = usable / count;
    const int top = fontHeight + 1 + (usable % count) / 2;
    return {Left, top + index * slot, std::max(boxSize.width() - SideSpace, 0), slot};
}

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent) {
    for (const QString& caption : items) {
        auto* button = new QRadioButton(caption, this);
        button->setAutoExclusive(true);
        items_.push_back(button);
    }
    arrangeItems();
}

QRadioButton* RadioGroup::item(int index) const {
    if (index < 0 || index >= count())
        return nullptr;
    return items_[static_cast<size_t>(index)];
}

int RadioGroup::itemIndex() const {
    for (int i = 0; i < count(); ++i)
        if (items_[static_cast<size_t>(i)]->isChecked())
            return i;
    return -1;
}

void RadioGroup::setItemIndex(int index) {
    index = clampedItemIndex(index, count());
    if (index >= 0) {
        items_[static_cast<size_t>(index)]->setChecked(true);
        return;
    }
    // Exclusive buttons refuse to clear the last checked one themselves.
    for (QRadioButton* button : items_) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

void RadioGroup::focusItems() {
    const int checked = itemIndex();
    if (QRadioButton* button = item(checked >= 0 ? checked : 0))
        button->setFocus(Qt::OtherFocusReason);
}

void RadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    arrangeItems();
}

void RadioGroup::arrangeItems() {
    const int fontHeight = fontMetrics().height();
    for (int i = 0; i < count(); ++i)
        items_[static_cast<size_t>(i)]->setGeometry(radioItemRect(i, count(), size(), fontHeight));
}
