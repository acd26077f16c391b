#include "components/ccalendr/Ccalendr.h"
#include "components/gallery/GalleryControls.h"
#include "components/gallery/GalleryPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

namespace gallery {

namespace {

QPushButton* stepButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    return button;
}

} // namespace

QWidget* makeCcalendrPage() {
    auto* calendar = new TCCalendar;
    auto* page = new ComponentPage(calendar);
    QFormLayout* form = page->controls();

    auto* year = spinBox(1, 9999, calendar->Year());
    auto* month = spinBox(1, 12, calendar->Month());
    auto* day = spinBox(1, 31, calendar->Day());
    form->addRow(QStringLiteral("Year"), year);
    form->addRow(QStringLiteral("Month"), month);
    form->addRow(QStringLiteral("Day"), day);

    auto* steps = new QWidget;
    auto* stepLayout = new QHBoxLayout(steps);
    stepLayout->setContentsMargins(0, 0, 0, 0);
    auto* prevYear = stepButton(QStringLiteral("« Year"), steps);
    auto* prevMonth = stepButton(QStringLiteral("‹ Month"), steps);
    auto* nextMonth = stepButton(QStringLiteral("Month ›"), steps);
    auto* nextYear = stepButton(QStringLiteral("Year »"), steps);
    for (QPushButton* button : {prevYear, prevMonth, nextMonth, nextYear})
        stepLayout->addWidget(button);
    form->addRow(QStringLiteral("Step"), steps);

    auto* startOfWeek = new QComboBox;
    for (int start = 1; start <= 7; ++start)
        startOfWeek->addItem(calendar->locale().dayName(start, QLocale::LongFormat), start);
    startOfWeek->setCurrentIndex(calendar->StartOfWeek() - 1);
    form->addRow(QStringLiteral("StartOfWeek"), startOfWeek);

    auto* readOnly = new QCheckBox;
    readOnly->setChecked(calendar->ReadOnly());
    form->addRow(QStringLiteral("ReadOnly"), readOnly);
    auto* useCurrentDate = new QCheckBox;
    useCurrentDate->setChecked(calendar->UseCurrentDate());
    form->addRow(QStringLiteral("UseCurrentDate"), useCurrentDate);
    auto* gridLineWidth = spinBox(0, 6, calendar->GridLineWidth());
    form->addRow(QStringLiteral("GridLineWidth"), gridLineWidth);

    const auto showState = [=] {
        const QSignalBlocker blockYear(year), blockMonth(month), blockDay(day),
            blockCurrent(useCurrentDate);
        year->setValue(calendar->Year());
        month->setValue(calendar->Month());
        day->setValue(calendar->Day());
        useCurrentDate->setChecked(calendar->UseCurrentDate());
    };
    // A refused element (31 April, 29 February 2001) is reported, and the
    // editors go back to the calendar's date.
    const auto setElement = [=](int element, int value) {
        try {
            calendar->SetDateElement(element, value);
        } catch (const ECalendarDateError& error) {
            page->log(QStringLiteral("error: ") + error.message());
        }
        showState();
    };
    const auto step = [=](void (TCCalendar::*move)()) {
        return [=] {
            try {
                (calendar->*move)();
            } catch (const ECalendarDateError& error) {
                page->log(QStringLiteral("error: ") + error.message());
            }
            showState();
        };
    };

    QObject::connect(year, &QSpinBox::valueChanged, page, [=](int v) { setElement(1, v); });
    QObject::connect(month, &QSpinBox::valueChanged, page, [=](int v) { setElement(2, v); });
    QObject::connect(day, &QSpinBox::valueChanged, page, [=](int v) { setElement(3, v); });
    QObject::connect(prevYear, &QPushButton::clicked, page, step(&TCCalendar::PrevYear));
    QObject::connect(prevMonth, &QPushButton::clicked, page, step(&TCCalendar::PrevMonth));
    QObject::connect(nextMonth, &QPushButton::clicked, page, step(&TCCalendar::NextMonth));
    QObject::connect(nextYear, &QPushButton::clicked, page, step(&TCCalendar::NextYear));
    QObject::connect(startOfWeek, &QComboBox::currentIndexChanged, page,
                     [=](int index) { calendar->SetStartOfWeek(index + 1); });
    QObject::connect(readOnly, &QCheckBox::toggled, page,
                     [=](bool on) { calendar->SetReadOnly(on); });
    QObject::connect(useCurrentDate, &QCheckBox::toggled, page, [=](bool on) {
        calendar->SetUseCurrentDate(on);
        showState();
    });
    QObject::connect(gridLineWidth, &QSpinBox::valueChanged, page,
                     [=](int width) { calendar->SetGridLineWidth(width); });

    QObject::connect(calendar, &TCCalendar::OnChange, page, [=] {
        page->log(QStringLiteral("OnChange ") + calendar->CalendarDate().toString(Qt::ISODate));
        showState();
    });
    QObject::connect(calendar, &TCCalendar::OnClick, page, [=] {
        page->log(QStringLiteral("OnClick ") + calendar->CalendarDate().toString(Qt::ISODate));
    });
    return page;
}

} // namespace gallery
