#include "components/gallery/GalleryControls.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QVBoxLayout>
#include <array>
#include <utility>

namespace gallery {

ComponentPage::ComponentPage(QWidget* component, QWidget* parent)
    : QWidget(parent), controls_(new QFormLayout), events_(new QPlainTextEdit) {
    auto* properties = new QGroupBox(tr("Properties"));
    properties->setLayout(controls_);
    controls_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

    events_->setReadOnly(true);
    events_->setMaximumBlockCount(200);
    events_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* eventsBox = new QGroupBox(tr("Events"));
    auto* eventsLayout = new QVBoxLayout(eventsBox);
    eventsLayout->addWidget(events_);

    auto* side = new QVBoxLayout;
    side->addWidget(properties);
    side->addWidget(eventsBox, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(component, 3);
    layout->addLayout(side, 2);
}

void ComponentPage::log(const QString& line) {
    events_->appendPlainText(line);
}

namespace {

const std::array<std::pair<const char*, QColor>, 16>& standardColours() {
    static const std::array<std::pair<const char*, QColor>, 16> colours{{
        {"Black", QColor(0, 0, 0)},
        {"Maroon", QColor(128, 0, 0)},
        {"Green", QColor(0, 128, 0)},
        {"Olive", QColor(128, 128, 0)},
        {"Navy", QColor(0, 0, 128)},
        {"Purple", QColor(128, 0, 128)},
        {"Teal", QColor(0, 128, 128)},
        {"Gray", QColor(128, 128, 128)},
        {"Silver", QColor(192, 192, 192)},
        {"Red", QColor(255, 0, 0)},
        {"Lime", QColor(0, 255, 0)},
        {"Yellow", QColor(255, 255, 0)},
        {"Blue", QColor(0, 0, 255)},
        {"Fuchsia", QColor(255, 0, 255)},
        {"Aqua", QColor(0, 255, 255)},
        {"White", QColor(255, 255, 255)},
    }};
    return colours;
}

QIcon swatch(const QColor& colour) {
    QPixmap pixmap(14, 14);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

} // namespace

QComboBox* colourCombo(const QColor& initial) {
    auto* combo = new QComboBox;
    for (const auto& [name, colour] : standardColours())
        combo->addItem(swatch(colour), QString::fromLatin1(name), colour);
    int index = combo->findData(initial);
    if (index < 0) {
        combo->addItem(swatch(initial), initial.name(), initial);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
    return combo;
}

QColor comboColour(const QComboBox* combo) {
    return combo->currentData().value<QColor>();
}

QSpinBox* spinBox(int minimum, int maximum, int value) {
    auto* box = new QSpinBox;
    box->setRange(minimum, maximum);
    box->setValue(value);
    return box;
}

} // namespace gallery
