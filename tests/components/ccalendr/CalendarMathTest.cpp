#include "components/ccalendr/CalendarMath.h"

#include <gtest/gtest.h>

using namespace Ccalendr;

TEST(ccalendrMath, LeapYearsFollowTheCenturyRule) {
    EXPECT_FALSE(isLeapYear(1900));
    EXPECT_TRUE(isLeapYear(2000));
    EXPECT_TRUE(isLeapYear(2024));
    EXPECT_FALSE(isLeapYear(2023));
    EXPECT_FALSE(isLeapYear(2100));
    EXPECT_TRUE(isLeapYear(1600));
}

TEST(ccalendrMath, DaysPerMonthAgreesWithQtsCalendarOverFourCenturies) {
    for (int year = 1801; year <= 2200; ++year)
        for (int month = 1; month <= 12; ++month)
            ASSERT_EQ(daysPerMonth(year, month), QDate(year, month, 1).daysInMonth())
                << year << "-" << month;
    EXPECT_EQ(daysPerMonth(1900, 2), 28);
    EXPECT_EQ(daysPerMonth(2000, 2), 29);
    EXPECT_EQ(daysPerMonth(2000, 0), 0);
    EXPECT_EQ(daysPerMonth(2000, 13), 0);
}

TEST(ccalendrMath, ValidDatesStayWithinYearsOneTo9999) {
    EXPECT_TRUE(isValidDate(1, 1, 1));
    EXPECT_TRUE(isValidDate(9999, 12, 31));
    EXPECT_FALSE(isValidDate(10000, 1, 1));
    EXPECT_FALSE(isValidDate(0, 1, 1));
    EXPECT_FALSE(isValidDate(2001, 2, 29));
    EXPECT_FALSE(isValidDate(2024, 4, 31));
}

TEST(ccalendrMath, MonthOffsetPutsTheFirstUnderItsWeekday) {
    // Every first weekday against every week start: the first lands in row 1,
    // in the column of its weekday, and row 1 is never entirely empty.
    for (int start = 1; start <= 7; ++start) {
        for (int first = 1; first <= 7; ++first) {
            const int offset = monthOffset(first, start);
            EXPECT_GE(offset, -5);
            EXPECT_LE(offset, 1);
            const CellPos cell = cellOfDay(1, offset);
            EXPECT_EQ(cell.row, 1);
            EXPECT_EQ(headerWeekday(start, cell.column), first - 1)
                << "start " << start << " first " << first;
        }
    }
}

TEST(ccalendrMath, KnownMonthsLayOutAsOnAWallCalendar) {
    // 1 November 1998 was a Sunday; 1 February 2024 a Thursday.
    const int november1998 = weekdayFromSunday(QDate(1998, 11, 1));
    EXPECT_EQ(november1998, 1);
    EXPECT_EQ(cellOfDay(1, monthOffset(november1998, 1)), (CellPos{6, 1}));
    EXPECT_EQ(cellOfDay(30, monthOffset(november1998, 1)), (CellPos{0, 6}));
    EXPECT_EQ(cellOfDay(1, monthOffset(november1998, 7)), (CellPos{0, 1}));

    const int february2024 = weekdayFromSunday(QDate(2024, 2, 1));
    EXPECT_EQ(monthOffset(february2024, 1), -2);
    EXPECT_EQ(cellOfDay(1, -2), (CellPos{3, 1}));
}

TEST(ccalendrMath, CellsAndDaysAreInverse) {
    for (int offset = -5; offset <= 1; ++offset) {
        for (int day = 1; day <= 31; ++day) {
            const CellPos cell = cellOfDay(day, offset);
            EXPECT_GE(cell.column, 0);
            EXPECT_LT(cell.column, 7);
            EXPECT_GE(cell.row, 1);
            EXPECT_LE(cell.row, 6);
            EXPECT_EQ(dayOfCell(cell.column, cell.row, offset), day);
        }
    }
}

TEST(ccalendrMath, CentringTruncatesTowardZero) {
    EXPECT_EQ(centredStart(10, 40, 11), 24);
    EXPECT_EQ(centredStart(0, 11, 20), -4); // an oversized text overhangs both sides
    EXPECT_EQ(centredStart(5, 20, 20), 5);
}

TEST(ccalendrMath, SevenCellsAndSixLinesFitTheClient) {
    for (const int line : {0, 1, 3}) {
        for (int client = 7 * 1 + 6 * 3; client < 400; ++client) {
            const int cell = cellExtentFor(client, line);
            EXPECT_LE(7 * cell + 6 * line, client);
            EXPECT_GT(7 * (cell + 1) + 6 * line, client);
        }
    }
    EXPECT_EQ(cellExtentFor(3, 1), 0);
}

TEST(ccalendrMath, MonthStepsKeepTheDayOrClampIt) {
    EXPECT_EQ(shiftedByMonth(QDate(2023, 3, 31), 1), QDate(2023, 4, 30));
    EXPECT_EQ(shiftedByMonth(QDate(2023, 1, 31), 1), QDate(2023, 2, 28));
    EXPECT_EQ(shiftedByMonth(QDate(2024, 1, 31), 1), QDate(2024, 2, 29));
    EXPECT_EQ(shiftedByMonth(QDate(2024, 3, 31), -1), QDate(2024, 2, 29));
    EXPECT_EQ(shiftedByMonth(QDate(1999, 12, 15), 1), QDate(2000, 1, 15));
    EXPECT_EQ(shiftedByMonth(QDate(2000, 1, 1), -1), QDate(1999, 12, 1));
    EXPECT_EQ(shiftedByMonth(QDate(2023, 4, 30), 1), QDate(2023, 5, 30));
}
