#pragma once

// Date and cell arithmetic of the month calendar, kept apart from the widget so
// it can be checked without a display. Weekdays follow two numberings on
// purpose: `StartOfWeek` counts 1 Monday … 7 Sunday, while the weekday of a date
// and the header's day index count from Sunday.

#include <QDate>

namespace Ccalendr {

// Gregorian rule: divisible by 4, and not by 100 unless by 400.
[[nodiscard]] bool isLeapYear(int year);

// Days of `month` (1 to 12) in `year`; 0 for a month outside 1 to 12.
[[nodiscard]] int daysPerMonth(int year, int month);

// The range of dates the calendar accepts: years 1 to 9999, real days only.
[[nodiscard]] bool isValidDate(int year, int month, int day);

// Weekday of `date` numbered 1 Sunday … 7 Saturday.
[[nodiscard]] int weekdayFromSunday(const QDate& date);

// Day number shown in column 0 of row 1 when the first of the month falls on
// `firstWeekday` (1 Sunday … 7 Saturday) and the week starts on `startOfWeek`
// (1 Monday … 7 Sunday). Never 2: a whole empty first week is not shown.
[[nodiscard]] int monthOffset(int firstWeekday, int startOfWeek);

struct CellPos {
    int column = 0;
    int row = 0;
    friend bool operator==(const CellPos&, const CellPos&) = default;
};

// Cell that shows `day` for a month drawn with `offset`; week rows start at 1
// because row 0 holds the day names.
[[nodiscard]] CellPos cellOfDay(int day, int offset);

// Day number a week cell (row 1 and below) stands for; may be below 1 or beyond
// the month, where the cell stays empty.
[[nodiscard]] int dayOfCell(int column, int row, int offset);

// Header column → weekday index, 0 Sunday … 6 Saturday.
[[nodiscard]] int headerWeekday(int startOfWeek, int column);

// Start coordinate that centres `content` in `extent` beginning at `start`;
// the division truncates toward zero so an oversized text overhangs evenly.
[[nodiscard]] int centredStart(int start, int extent, int content);

// Cell extent that lets seven cells and six grid lines share `clientExtent`.
[[nodiscard]] int cellExtentFor(int clientExtent, int gridLineWidth);

// The pixels those seven cells and six lines leave over at the far edge (0 to 6).
[[nodiscard]] int leftoverExtent(int clientExtent, int gridLineWidth);

// The same day in the month `delta` months on (−1 or +1), clamped to the last
// day of a shorter month. The result may fall outside the accepted range.
[[nodiscard]] QDate shiftedByMonth(const QDate& date, int delta);

} // namespace Ccalendr
