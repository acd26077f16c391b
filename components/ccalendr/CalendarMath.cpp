#include "components/ccalendr/CalendarMath.h"

#include <algorithm>
#include <array>

namespace Ccalendr {

bool isLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysPerMonth(int year, int month) {
    static constexpr std::array<int, 12> days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    if (month == 2 && isLeapYear(year))
        return 29;
    return days[static_cast<std::size_t>(month - 1)];
}

bool isValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && day >= 1 && day <= daysPerMonth(year, month);
}

int weekdayFromSunday(const QDate& date) {
    // QDate counts 1 Monday … 7 Sunday.
    return date.dayOfWeek() % 7 + 1;
}

int monthOffset(int firstWeekday, int startOfWeek) {
    const int offset = 2 - ((firstWeekday - startOfWeek + 7) % 7);
    return offset == 2 ? -5 : offset;
}

CellPos cellOfDay(int day, int offset) {
    const int index = day - offset;
    return {index % 7, index / 7 + 1};
}

int dayOfCell(int column, int row, int offset) {
    return offset + column + (row - 1) * 7;
}

int headerWeekday(int startOfWeek, int column) {
    return (startOfWeek + column) % 7;
}

int centredStart(int start, int extent, int content) {
    return start + (extent - content) / 2;
}

int cellExtentFor(int clientExtent, int gridLineWidth) {
    const int extent = (clientExtent - 6 * gridLineWidth) / 7;
    return extent < 0 ? 0 : extent;
}

int leftoverExtent(int clientExtent, int gridLineWidth) {
    const int used = 7 * cellExtentFor(clientExtent, gridLineWidth) + 6 * gridLineWidth;
    return std::clamp(clientExtent - used, 0, 6);
}

QDate shiftedByMonth(const QDate& date, int delta) {
    const int day = date.day();
    const QDate edge = delta > 0 ? QDate(date.year(), date.month(), date.daysInMonth())
                                 : QDate(date.year(), date.month(), 1);
    const QDate landed = edge.addDays(delta);
    const int last = daysPerMonth(landed.year(), landed.month());
    return QDate(landed.year(), landed.month(), day < last ? day : last);
}

} // namespace Ccalendr
