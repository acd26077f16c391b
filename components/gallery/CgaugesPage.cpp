#include "components/cgauges/Cgauges.h"
#include "components/gallery/GalleryControls.h"
#include "components/gallery/GalleryPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QMetaEnum>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

namespace gallery {

namespace {

template <typename Enum> QComboBox* enumCombo(Enum current) {
    const QMetaEnum meta = QMetaEnum::fromType<Enum>();
    auto* combo = new QComboBox;
    for (int i = 0; i < meta.keyCount(); ++i)
        combo->addItem(QString::fromLatin1(meta.key(i)), meta.value(i));
    combo->setCurrentIndex(combo->findData(static_cast<int>(current)));
    return combo;
}

} // namespace

QWidget* makeCgaugesPage() {
    // A fixed place in a holder, so the size controls decide the gauge's shape.
    auto* holder = new QWidget;
    auto* gauge = new TCGauge(holder);
    gauge->setGeometry(12, 12, 300, 60);
    gauge->SetProgress(42);
    auto* page = new ComponentPage(holder);
    QFormLayout* form = page->controls();

    auto* kind = enumCombo(gauge->Kind());
    form->addRow(QStringLiteral("Kind"), kind);
    auto* progress = new QSlider(Qt::Horizontal);
    progress->setRange(gauge->MinValue(), gauge->MaxValue());
    progress->setValue(gauge->Progress());
    form->addRow(QStringLiteral("Progress"), progress);
    auto* minValue = spinBox(-1000, 1000, gauge->MinValue());
    auto* maxValue = spinBox(-1000, 1000, gauge->MaxValue());
    form->addRow(QStringLiteral("MinValue"), minValue);
    form->addRow(QStringLiteral("MaxValue"), maxValue);
    auto* add = new QPushButton(QStringLiteral("AddProgress(10)"));
    form->addRow(QString(), add);
    auto* showText = new QCheckBox;
    showText->setChecked(gauge->ShowText());
    form->addRow(QStringLiteral("ShowText"), showText);
    auto* border = enumCombo(gauge->BorderStyle());
    form->addRow(QStringLiteral("BorderStyle"), border);
    auto* foreColor = colourCombo(gauge->ForeColor());
    auto* backColor = colourCombo(gauge->BackColor());
    form->addRow(QStringLiteral("ForeColor"), foreColor);
    form->addRow(QStringLiteral("BackColor"), backColor);

    auto* width = spinBox(10, 400, gauge->width());
    auto* height = spinBox(10, 400, gauge->height());
    form->addRow(QStringLiteral("Width"), width);
    form->addRow(QStringLiteral("Height"), height);

    const auto showRange = [=] {
        const QSignalBlocker blockMin(minValue), blockMax(maxValue), blockProgress(progress);
        minValue->setValue(gauge->MinValue());
        maxValue->setValue(gauge->MaxValue());
        progress->setRange(gauge->MinValue(), gauge->MaxValue());
        progress->setValue(gauge->Progress());
    };
    const auto setBound = [=](void (TCGauge::*writer)(int), int value) {
        try {
            (gauge->*writer)(value);
        } catch (const ECGaugeError& error) {
            page->log(QStringLiteral("error: ") + error.message());
        }
        showRange();
    };

    QObject::connect(kind, &QComboBox::currentIndexChanged, page, [=] {
        gauge->SeTCGaugeKind(static_cast<TCGauge::TCGaugeKind>(kind->currentData().toInt()));
    });
    QObject::connect(progress, &QSlider::valueChanged, page, [=](int value) {
        gauge->SetProgress(value);
        page->log(QStringLiteral("Progress %1 → %2 %").arg(value).arg(gauge->GetPercentDone()));
    });
    QObject::connect(minValue, &QSpinBox::valueChanged, page,
                     [=](int value) { setBound(&TCGauge::SetMinValue, value); });
    QObject::connect(maxValue, &QSpinBox::valueChanged, page,
                     [=](int value) { setBound(&TCGauge::SetMaxValue, value); });
    QObject::connect(add, &QPushButton::clicked, page, [=] {
        gauge->AddProgress(10);
        showRange();
    });
    QObject::connect(showText, &QCheckBox::toggled, page, [=](bool on) { gauge->SetShowText(on); });
    QObject::connect(border, &QComboBox::currentIndexChanged, page, [=] {
        gauge->SetBorderStyle(
            static_cast<TCGauge::TFormBorderStyle>(border->currentData().toInt()));
    });
    QObject::connect(foreColor, &QComboBox::currentIndexChanged, page,
                     [=] { gauge->SetForeColor(comboColour(foreColor)); });
    QObject::connect(backColor, &QComboBox::currentIndexChanged, page,
                     [=] { gauge->SetBackColor(comboColour(backColor)); });
    QObject::connect(width, &QSpinBox::valueChanged, page,
                     [=](int value) { gauge->resize(value, gauge->height()); });
    QObject::connect(height, &QSpinBox::valueChanged, page,
                     [=](int value) { gauge->resize(gauge->width(), value); });
    return page;
}

} // namespace gallery
