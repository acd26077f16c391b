#pragma once

// A captioned box of radio buttons stacked in one column, evenly spread over
// the box's height. itemIndex() is the checked item, or −1 while none is; any
// index given is clamped into that range, so the box never points past its items.

#include <QGroupBox>
#include <QRect>
#include <QSize>
#include <vector>

class QRadioButton;

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    [[nodiscard]] int count() const { return static_cast<int>(items_.size()); }
    [[nodiscard]] QRadioButton* item(int index) const;
    [[nodiscard]] int itemIndex() const;
    void setItemIndex(int index);
    // Gives the keyboard focus to the checked item, or to the first one.
    void focusItems();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrangeItems();

    std::vector<QRadioButton*> items_;
};

// Below −1 becomes −1 (none checked), past the last item becomes the last.
[[nodiscard]] int clampedItemIndex(int index, int count);

// Where item `index` of `count` sits in a box of `boxSize` whose caption font
// is `fontHeight` pixels high: one column, equal slots below the caption, the
// slack shared above and below.
[[nodiscard]] QRect radioItemRect(int index, int count, QSize boxSize, int fontHeight);
