#include "CalendarTestSupport.h"
#include "components/palette/Palette.h"

#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Shows the calendar on the offscreen screen so that mouse positions and
// rendering go through the real view.
void showAt(TCCalendar& calendar, QSize size) {
    calendar.resize(size);
    calendar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&calendar));
}

QPoint cellCentre(const TCCalendar& calendar, int column, int row) {
    return calendar.visualRect(calendar.model()->index(row, column)).center();
}

QRect inkBounds(const QImage& image, QRgb background) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

} // namespace

TEST(ccalendrGrid, November1998WithMondayAndSundayFirst) {
    const auto calendar = calendarOn(QDate(1998, 11, 1));
    const QLocale locale = calendar->locale();
    EXPECT_EQ(calendar->GetCellText(0, 0), locale.dayName(1, QLocale::ShortFormat));
    EXPECT_EQ(calendar->GetCellText(6, 0), locale.dayName(7, QLocale::ShortFormat));
    EXPECT_EQ(calendar->GetCellText(6, 1), "1");
    EXPECT_EQ(calendar->GetCellText(5, 1), "");
    EXPECT_EQ(calendar->GetCellText(0, 6), "30");
    EXPECT_EQ(calendar->GetCellText(1, 6), "");
    EXPECT_EQ(calendar->Col(), 6);
    EXPECT_EQ(calendar->Row(), 1);

    calendar->SetStartOfWeek(7);
    EXPECT_EQ(calendar->GetCellText(0, 0), locale.dayName(7, QLocale::ShortFormat));
    EXPECT_EQ(calendar->GetCellText(0, 1), "1");
    EXPECT_EQ(calendar->Col(), 0);
    EXPECT_EQ(calendar->Row(), 1);
    EXPECT_EQ(calendar->model()->index(1, 0).data().toString(), "1");
}

TEST(ccalendrGrid, DayNamesComeFromTheLocale) {
    const auto calendar = calendarOn(QDate(1998, 11, 1));
    calendar->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    EXPECT_EQ(calendar->GetCellText(0, 0), QStringLiteral("月"));
    EXPECT_EQ(calendar->GetCellText(5, 0), QStringLiteral("土"));
    EXPECT_EQ(calendar->model()->index(0, 6).data().toString(), QStringLiteral("日"));
    calendar->SetStartOfWeek(7);
    EXPECT_EQ(calendar->GetCellText(0, 0), QStringLiteral("日"));
}

TEST(ccalendrGrid, February2024) {
    const auto calendar = calendarOn(QDate(2024, 2, 1));
    EXPECT_EQ(calendar->MonthOffset(), -2);
    EXPECT_EQ(calendar->GetCellText(2, 1), "");
    EXPECT_EQ(calendar->GetCellText(3, 1), "1");
    EXPECT_EQ(calendar->GetCellText(3, 5), "29");
    EXPECT_EQ(calendar->GetCellText(4, 5), "");
    EXPECT_EQ(calendar->GetCellText(0, 6), "");
}

TEST(ccalendrGrid, OutOfRangeStartOfWeekMeansMonday) {
    const auto calendar = calendarOn(QDate(1998, 11, 1));
    EventLog log(*calendar);
    calendar->SetStartOfWeek(0);
    calendar->SetStartOfWeek(8);
    EXPECT_EQ(calendar->StartOfWeek(), 1);
    EXPECT_TRUE(log.entries.isEmpty());

    calendar->SetStartOfWeek(3);
    EXPECT_EQ(calendar->GetCellText(4, 1), "1"); // Wednesday first: Sunday is column 4
    calendar->SetStartOfWeek(8);
    EXPECT_EQ(calendar->StartOfWeek(), 1);
    // The grid follows the stored start, so names and days keep agreeing.
    EXPECT_EQ(calendar->GetCellText(6, 1), "1");
    EXPECT_EQ(calendar->Col(), 6);
    EXPECT_EQ(log.entries, (QStringList{"current 4,1", "current 6,1"}));
}

TEST(ccalendrGrid, CellsThatCannotBecomeCurrent) {
    const auto calendar = calendarOn(QDate(1998, 11, 1));
    EXPECT_FALSE(calendar->SelectCell(0, 0)) << "day-name row";
    EXPECT_FALSE(calendar->SelectCell(6, 0)) << "day-name row";
    EXPECT_FALSE(calendar->SelectCell(5, 1)) << "before the first";
    EXPECT_FALSE(calendar->SelectCell(1, 6)) << "after the last";
    EXPECT_FALSE(calendar->SelectCell(7, 1)) << "outside the grid";
    EXPECT_TRUE(calendar->SelectCell(0, 2));

    calendar->SetReadOnly(true);
    EXPECT_FALSE(calendar->SelectCell(0, 2));
    // Code still moves the current cell of a read-only calendar.
    calendar->SetDay(2);
    EXPECT_EQ(calendar->Col(), 0);
    EXPECT_EQ(calendar->Row(), 2);
}

TEST(ccalendrGrid, ClickingADayTakesItThenRaisesOnClick) {
    const auto calendar = calendarOn(QDate(1998, 11, 1));
    showAt(*calendar, {350, 210});
    EventLog log(*calendar);

    QTest::mouseClick(calendar->viewport(), Qt::LeftButton, {}, cellCentre(*calendar, 3, 4));
    EXPECT_EQ(calendar->CalendarDate(), QDate(1998, 11, 19));
    EXPECT_FALSE(calendar->UseCurrentDate());
    EXPECT_EQ(log.entries, (QStringList{"current 3,4", "change 1998-11-19", "click 1998-11-19"}));

    // Clicking the current day again is still a click, but no change.
    log.entries.clear();
    QTest::mouseClick(calendar->viewport(), Qt::LeftButton, {}, cellCentre(*calendar, 3, 4));
    EXPECT_EQ(log.entries, (QStringList{"click 1998-11-19"}));

    QTest::mouseClick(calendar->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      cellCentre(*calendar, 3, 4));
    EXPECT_TRUE(calendar->selectionModel()->isSelected(calendar->currentIndex()));
}

TEST(ccalendrGrid, ClicksThatChangeNothing) {
    const auto calendar = calendarOn(QDate(1998, 11, 1));
    showAt(*calendar, {350, 210});
    EventLog log(*calendar);

    QTest::mouseClick(calendar->viewport(), Qt::LeftButton, {}, cellCentre(*calendar, 2, 1));
    QTest::mouseClick(calendar->viewport(), Qt::LeftButton, {}, cellCentre(*calendar, 4, 6));
    QTest::mouseClick(calendar->viewport(), Qt::LeftButton, {}, cellCentre(*calendar, 2, 0));
    QTest::mouseClick(calendar->viewport(), Qt::RightButton, {}, cellCentre(*calendar, 2, 2));
    calendar->SetReadOnly(true);
    QTest::mouseClick(calendar->viewport(), Qt::LeftButton, {}, cellCentre(*calendar, 2, 2));

    EXPECT_EQ(calendar->CalendarDate(), QDate(1998, 11, 1));
    EXPECT_EQ(calendar->Col(), 6);
    EXPECT_EQ(calendar->Row(), 1);
    EXPECT_TRUE(log.entries.isEmpty()) << log.entries.join("; ").toStdString();
}

TEST(ccalendrGrid, KeyboardMovesOnlyOntoDays) {
    const auto calendar = calendarOn(QDate(1998, 11, 1));
    showAt(*calendar, {350, 210});
    EventLog log(*calendar);

    QTest::keyClick(calendar.get(), Qt::Key_Left); // empty cell before the first
    QTest::keyClick(calendar.get(), Qt::Key_Up);   // day-name row
    EXPECT_TRUE(log.entries.isEmpty());

    QTest::keyClick(calendar.get(), Qt::Key_Down);
    EXPECT_EQ(calendar->CalendarDate(), QDate(1998, 11, 8));
    EXPECT_EQ(log.entries, (QStringList{"current 6,2", "change 1998-11-08", "click 1998-11-08"}));

    log.entries.clear();
    calendar->SetReadOnly(true);
    QTest::keyClick(calendar.get(), Qt::Key_Left);
    EXPECT_EQ(calendar->CalendarDate(), QDate(1998, 11, 8));
    EXPECT_TRUE(log.entries.isEmpty());
}

TEST(ccalendrGrid, TypingDoesNotJumpToADay) {
    const auto calendar = calendarOn(QDate(1998, 11, 1));
    showAt(*calendar, {350, 210});
    QTest::keyClicks(calendar.get(), "25");
    EXPECT_EQ(calendar->CalendarDate(), QDate(1998, 11, 1));
}

TEST(ccalendrGrid, DrawCellCentresAndClipsTheText) {
    const auto calendar = calendarOn(QDate(2024, 2, 1)); // cell (2,5) shows "28"
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(16);

    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        calendar->DrawCell(painter, 2, 5, QRect(10, 10, 100, 60), {});
    }
    const QRect ink = inkBounds(image, qRgb(255, 255, 255));
    ASSERT_FALSE(ink.isEmpty());
    const int leftGap = ink.left() - 10;
    const int rightGap = 109 - ink.right();
    EXPECT_LE(std::abs(leftGap - rightGap), 2) << leftGap << " " << rightGap;
    const QFontMetrics metrics(font);
    const int top = 10 + (60 - metrics.height()) / 2;
    EXPECT_GE(ink.top(), top);
    EXPECT_LE(ink.bottom(), top + metrics.height());

    image.fill(Qt::white);
    font.setPixelSize(40);
    const QRect narrow(50, 30, 8, 12);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        calendar->DrawCell(painter, 2, 5, narrow, {});
    }
    const QRect clipped = inkBounds(image, qRgb(255, 255, 255));
    ASSERT_FALSE(clipped.isEmpty());
    EXPECT_TRUE(narrow.contains(clipped))
        << clipped.x() << "," << clipped.y() << " " << clipped.width() << "x" << clipped.height();
}

TEST(ccalendrGrid, RendersCurrentDayHeaderAndGridLines) {
    const auto calendar = calendarOn(QDate(1998, 11, 18));
    calendar->SetGridLineWidth(2);
    showAt(*calendar, {352, 212});
    const QImage shot = calendar->viewport()->grab().toImage();
    const QPalette palette = calendar->palette();
    const auto colourAt = [&](int column, int row) {
        const QRect cell = calendar->visualRect(calendar->model()->index(row, column));
        return QColor(shot.pixel(cell.topLeft() + QPoint(1, 1)));
    };
    const QColor current = colourAt(calendar->Col(), calendar->Row());
    EXPECT_TRUE(current.rgb() == palette.color(QPalette::Active, QPalette::Highlight).rgb() ||
                current.rgb() == palette.color(QPalette::Inactive, QPalette::Highlight).rgb())
        << current.name().toStdString();
    EXPECT_EQ(colourAt(0, 2).rgb(), palette.color(QPalette::Active, QPalette::Base).rgb());
    EXPECT_EQ(colourAt(0, 0).rgb(), palette.color(QPalette::Active, QPalette::Button).rgb());

    const QRect first = calendar->visualRect(calendar->model()->index(2, 0));
    const QPoint line(first.left() + calendar->columnWidth(0) - calendar->GridLineWidth(),
                      first.center().y());
    EXPECT_EQ(shot.pixel(line), palette.color(QPalette::Active, QPalette::Mid).rgb());
}

TEST(ccalendrGrid, SevenColumnsAndRowsFillTheControl) {
    const auto calendar = calendarOn(QDate(1998, 11, 1));
    for (const int line : {1, 3, 0}) {
        calendar->SetGridLineWidth(line);
        for (const QSize size : {QSize(350, 210), QSize(203, 151), QSize(640, 480)}) {
            showAt(*calendar, size);
            const QSize client = calendar->viewport()->size();
            const int width = calendar->DefaultColWidth();
            const int height = calendar->DefaultRowHeight();
            EXPECT_LE(7 * width + 6 * line, client.width());
            EXPECT_GT(7 * (width + 1) + 6 * line, client.width());
            EXPECT_LE(7 * height + 6 * line, client.height());
            EXPECT_GT(7 * (height + 1) + 6 * line, client.height());
            EXPECT_EQ(calendar->columnWidth(6), width + line);
            EXPECT_EQ(calendar->rowHeight(6), height + line);
            // No blank strip: the cells reach the frame, the last line lies beyond it.
            int across = 0;
            int down = 0;
            for (int i = 0; i < 7; ++i) {
                across += calendar->columnWidth(i);
                down += calendar->rowHeight(i);
            }
            EXPECT_EQ(across, client.width() + line);
            EXPECT_EQ(down, client.height() + line);
            EXPECT_EQ(calendar->horizontalScrollBar()->maximum(), 0);
            EXPECT_EQ(calendar->verticalScrollBar()->maximum(), 0);
        }
    }
}

TEST(ccalendrGrid, RegistersOnThePalette) {
    Ccalendr::Register();
    const auto& entries = palette::registeredComponents();
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [](const auto& e) { return e.className == "TCCalendar"; });
    ASSERT_NE(entry, entries.end());
    EXPECT_EQ(entry->includeFile, "components/ccalendr/Ccalendr.h");
    EXPECT_FALSE(entry->icon.isNull());
    EXPECT_TRUE(entry->domXml.contains(R"(<widget class="TCCalendar")"));
    const std::unique_ptr<QWidget> widget(entry->create(nullptr));
    EXPECT_NE(qobject_cast<TCCalendar*>(widget.get()), nullptr);
}
