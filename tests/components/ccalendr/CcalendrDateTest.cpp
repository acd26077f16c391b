#include "CalendarTestSupport.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString dateError = QStringLiteral("日付に変換できない値が渡されました");

} // namespace

TEST(ccalendrDate, StartsOnTodayFromItsClock) {
    const auto calendar = calendarOn(QDate(2024, 2, 14));
    EXPECT_EQ(calendar->CalendarDate(), QDate(2024, 2, 14));
    EXPECT_EQ(calendar->Year(), 2024);
    EXPECT_EQ(calendar->Month(), 2);
    EXPECT_EQ(calendar->Day(), 14);
    EXPECT_EQ(calendar->GetDateElement(0), -1);
    EXPECT_EQ(calendar->GetDateElement(4), -1);
    EXPECT_TRUE(calendar->UseCurrentDate());
    EXPECT_FALSE(calendar->StoreCalendarDate());
    EXPECT_EQ(calendar->StartOfWeek(), 1);
    EXPECT_FALSE(calendar->ReadOnly());
    EXPECT_EQ(calendar->DaysThisMonth(), 29);
}

TEST(ccalendrDate, OutOfRangeElementsAreIgnoredSilently) {
    const auto calendar = calendarOn(QDate(2023, 2, 10));
    QSignalSpy changes(calendar.get(), &TCCalendar::OnChange);
    calendar->SetDateElement(1, 0);
    calendar->SetDateElement(2, -3);
    calendar->SetDateElement(2, 13);
    calendar->SetDateElement(3, 29); // beyond February 2023
    calendar->SetDateElement(3, 10); // unchanged
    calendar->SetDateElement(7, 5);
    EXPECT_EQ(calendar->CalendarDate(), QDate(2023, 2, 10));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(calendar->UseCurrentDate());
}

TEST(ccalendrDate, SettingAnElementMovesTheCellThenRaisesOnChange) {
    const auto calendar = calendarOn(QDate(1998, 11, 1));
    EventLog log(*calendar);
    calendar->SetDay(30);
    calendar->SetMonth(12);
    calendar->SetYear(1999);
    EXPECT_EQ(calendar->CalendarDate(), QDate(1999, 12, 30));
    EXPECT_FALSE(calendar->UseCurrentDate());
    EXPECT_TRUE(calendar->StoreCalendarDate());
    // 30 Nov 1998 sits in column 0 of row 6; 30 Dec 1998 (Wednesday) in row 5;
    // 30 Dec 1999 (Thursday) in row 5, column 3.
    EXPECT_EQ(log.entries, (QStringList{"current 0,6", "change 1998-11-30", "current 2,5",
                                        "change 1998-12-30", "current 3,5", "change 1999-12-30"}));
}

TEST(ccalendrDate, AnImpossibleDateFailsAndLeavesTheDate) {
    const auto calendar = calendarOn(QDate(2023, 3, 31));
    QSignalSpy changes(calendar.get(), &TCCalendar::OnChange);
    try {
        calendar->SetMonth(4);
        FAIL() << "31 April was accepted";
    } catch (const ECalendarDateError& error) {
        EXPECT_EQ(error.message(), dateError);
        EXPECT_EQ(QString::fromStdString(error.what()), dateError);
    }
    EXPECT_EQ(calendar->CalendarDate(), QDate(2023, 3, 31));
    EXPECT_TRUE(calendar->UseCurrentDate());
    EXPECT_EQ(changes.count(), 0);

    calendar->SeTCCalendarDate(QDate(2000, 2, 29));
    EXPECT_THROW(calendar->SetYear(2001), ECalendarDateError);
    EXPECT_EQ(calendar->CalendarDate(), QDate(2000, 2, 29));
    EXPECT_THROW(calendar->SetYear(10000), ECalendarDateError);
    EXPECT_THROW(calendar->SeTCCalendarDate(QDate()), ECalendarDateError);
    EXPECT_EQ(calendar->CalendarDate(), QDate(2000, 2, 29));
}

TEST(ccalendrDate, SettingTheDateKeepsUseCurrentDate) {
    const auto calendar = calendarOn(QDate(2024, 2, 14));
    EventLog log(*calendar);
    calendar->SeTCCalendarDate(QDate(2024, 2, 1));
    EXPECT_TRUE(calendar->UseCurrentDate());
    EXPECT_EQ(log.entries, (QStringList{"current 3,1", "change 2024-02-01"}));
}

TEST(ccalendrDate, UseCurrentDateReturnsToTodayWithoutOnChange) {
    const auto calendar = calendarOn(QDate(2024, 2, 14));
    calendar->SetDay(3);
    ASSERT_FALSE(calendar->UseCurrentDate());
    QSignalSpy changes(calendar.get(), &TCCalendar::OnChange);

    calendar->SetUseCurrentDate(false); // no change at all
    EXPECT_EQ(calendar->CalendarDate(), QDate(2024, 2, 3));
    calendar->SetUseCurrentDate(true);
    EXPECT_EQ(calendar->CalendarDate(), QDate(2024, 2, 14));
    EXPECT_EQ(calendar->Col(), 2);
    EXPECT_EQ(calendar->Row(), 3);
    EXPECT_EQ(changes.count(), 0);
}

TEST(ccalendrDate, MonthStepsClampTheDayAndNeverFail) {
    const auto calendar = calendarOn(QDate(2023, 3, 31));
    QSignalSpy changes(calendar.get(), &TCCalendar::OnChange);
    calendar->NextMonth();
    EXPECT_EQ(calendar->CalendarDate(), QDate(2023, 4, 30));
    calendar->SeTCCalendarDate(QDate(2024, 1, 31));
    calendar->NextMonth();
    EXPECT_EQ(calendar->CalendarDate(), QDate(2024, 2, 29));
    calendar->SeTCCalendarDate(QDate(2023, 1, 31));
    calendar->NextMonth();
    EXPECT_EQ(calendar->CalendarDate(), QDate(2023, 2, 28));
    calendar->SeTCCalendarDate(QDate(2000, 1, 15));
    calendar->PrevMonth();
    EXPECT_EQ(calendar->CalendarDate(), QDate(1999, 12, 15));
    EXPECT_EQ(changes.count(), 7);
    EXPECT_TRUE(calendar->UseCurrentDate());
}

TEST(ccalendrDate, YearStepsFrom29FebruaryChangeTwice) {
    const auto calendar = calendarOn(QDate(2024, 2, 29));
    EventLog log(*calendar);
    calendar->NextYear();
    EXPECT_EQ(calendar->CalendarDate(), QDate(2025, 2, 28));
    // 28 Feb 2024 is a Wednesday (offset -2 → column 2, row 5); 28 Feb 2025 a Friday.
    EXPECT_EQ(log.entries, (QStringList{"current 2,5", "change 2024-02-28", "current 4,5",
                                        "change 2025-02-28"}));

    calendar->SeTCCalendarDate(QDate(2000, 2, 29));
    QSignalSpy changes(calendar.get(), &TCCalendar::OnChange);
    calendar->PrevYear();
    EXPECT_EQ(calendar->CalendarDate(), QDate(1999, 2, 28));
    EXPECT_EQ(changes.count(), 2);

    calendar->SeTCCalendarDate(QDate(2023, 2, 28));
    calendar->NextYear();
    EXPECT_EQ(calendar->CalendarDate(), QDate(2024, 2, 28));
}

TEST(ccalendrDate, CenturyLeapRules) {
    const auto calendar = calendarOn(QDate(1900, 2, 1));
    EXPECT_FALSE(calendar->IsLeapYear(1900));
    EXPECT_EQ(calendar->DaysThisMonth(), 28);
    EXPECT_TRUE(calendar->GetCellText(calendar->Col(), calendar->Row() + 4).isEmpty());
    calendar->SetYear(2000);
    EXPECT_TRUE(calendar->IsLeapYear(2000));
    EXPECT_EQ(calendar->DaysThisMonth(), 29);
    calendar->SetDay(29);
    EXPECT_EQ(calendar->CalendarDate(), QDate(2000, 2, 29));
    EXPECT_THROW(calendar->SetYear(1900), ECalendarDateError);
}

TEST(ccalendrDate, PropertyWritesNeverThrowButKeepOrClamp) {
    const auto calendar = calendarOn(QDate(2023, 3, 31));
    EXPECT_TRUE(calendar->setProperty("Month", 4));
    EXPECT_EQ(calendar->CalendarDate(), QDate(2023, 4, 30));
    EXPECT_TRUE(calendar->setProperty("Year", 10000));
    EXPECT_EQ(calendar->CalendarDate(), QDate(2023, 4, 30));
    calendar->SeTCCalendarDate(QDate(2024, 2, 29));
    EXPECT_TRUE(calendar->setProperty("Year", 2025));
    EXPECT_EQ(calendar->CalendarDate(), QDate(2025, 2, 28));
    EXPECT_TRUE(calendar->setProperty("CalendarDate", QDate()));
    EXPECT_TRUE(calendar->setProperty("Day", 31));
    EXPECT_EQ(calendar->CalendarDate(), QDate(2025, 2, 28));
}

TEST(ccalendrDate, HomeEndPageKeysMoveToTheWeeksEndsAndNeighbourMonths) {
    // 14 February 2024 is a Wednesday; its week runs from Monday 12 to Sunday 18.
    const auto calendar = calendarOn(QDate(2024, 2, 14));
    QSignalSpy clicks(calendar.get(), &TCCalendar::OnClick);
    QTest::keyClick(calendar.get(), Qt::Key_Home);
    EXPECT_EQ(calendar->CalendarDate(), QDate(2024, 2, 12));
    QTest::keyClick(calendar.get(), Qt::Key_End);
    EXPECT_EQ(calendar->CalendarDate(), QDate(2024, 2, 18));
    QTest::keyClick(calendar.get(), Qt::Key_PageDown);
    EXPECT_EQ(calendar->CalendarDate(), QDate(2024, 3, 18));
    QTest::keyClick(calendar.get(), Qt::Key_PageUp);
    QTest::keyClick(calendar.get(), Qt::Key_PageUp);
    EXPECT_EQ(calendar->CalendarDate(), QDate(2024, 1, 18));
    EXPECT_EQ(clicks.count(), 5);
    // The first week of February 2024 starts on Thursday the 1st.
    calendar->SetDay(2);
    QTest::keyClick(calendar.get(), Qt::Key_Home);
    EXPECT_EQ(calendar->Day(), 1);
}
