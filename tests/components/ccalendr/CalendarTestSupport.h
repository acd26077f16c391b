#pragma once

#include "components/ccalendr/Ccalendr.h"

#include <QDate>
#include <QItemSelectionModel>
#include <QObject>
#include <QStringList>
#include <memory>

// A calendar whose clock says `today`, so every test sees the same month.
inline std::unique_ptr<TCCalendar> calendarOn(QDate today) {
    return std::make_unique<TCCalendar>(nullptr, [today] { return today; });
}

// Records, in order, every move of the current cell and every OnChange/OnClick,
// with the date the calendar held at that moment.
class EventLog {
public:
    explicit EventLog(TCCalendar& calendar) {
        QObject::connect(
            calendar.selectionModel(), &QItemSelectionModel::currentChanged,
            [this](const QModelIndex& current) {
                entries << QStringLiteral("current %1,%2").arg(current.column()).arg(current.row());
            });
        QObject::connect(&calendar, &TCCalendar::OnChange, [this, &calendar] {
            entries << QStringLiteral("change ") + calendar.CalendarDate().toString(Qt::ISODate);
        });
        QObject::connect(&calendar, &TCCalendar::OnClick, [this, &calendar] {
            entries << QStringLiteral("click ") + calendar.CalendarDate().toString(Qt::ISODate);
        });
    }

    QStringList entries;
};
