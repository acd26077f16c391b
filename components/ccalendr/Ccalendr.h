#pragma once

// TCCalendar: one month as a grid of seven columns, a header row of short day
// names and up to six week rows of day numbers. The day of the calendar's date
// is the grid's current cell; the user picks another day by clicking it or by
// moving to it with the keyboard, and empty cells can never become current.
// The date starts as today (taken from an injectable clock) until an element is
// set. Depends on Qt only.

#include <QDate>
#include <QFlags>
#include <QString>
#include <QTableView>
#include <functional>
#include <stdexcept>

class QPainter;

// A year, month or day that would not make a real date (for example month 4
// while the day is 31). The calendar's date is left as it was.
class ECalendarDateError : public std::runtime_error {
public:
    explicit ECalendarDateError(const QString& message);
    [[nodiscard]] const QString& message() const { return message_; }

private:
    QString message_;
};

namespace Ccalendr {
class CalendarCellModel;
// Puts TCCalendar on the component palette.
void Register();
} // namespace Ccalendr

class TCCalendar : public QTableView {
    Q_OBJECT
    // Writes through the property system (a form designer, a stored form)
    // never throw: they keep the old value or clamp the day, and log.
    Q_PROPERTY(int Day READ Day WRITE writeDay STORED false)
    Q_PROPERTY(int Month READ Month WRITE writeMonth STORED false)
    Q_PROPERTY(int Year READ Year WRITE writeYear STORED false)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(int StartOfWeek READ StartOfWeek WRITE SetStartOfWeek)
    Q_PROPERTY(bool UseCurrentDate READ UseCurrentDate WRITE SetUseCurrentDate)
    Q_PROPERTY(int GridLineWidth READ GridLineWidth WRITE SetGridLineWidth)
    // Qt 6 has no stored-function on properties; StoreCalendarDate() answers
    // the question for whoever saves a calendar's state (the Designer plug-in
    // saves the date only then, however it was set).
    Q_PROPERTY(QDate CalendarDate READ CalendarDate WRITE writeCalendarDate DESIGNABLE false)

public:
    using TodayFunction = std::function<QDate()>;

    enum GridDrawStateFlag { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };
    Q_DECLARE_FLAGS(TGridDrawState, GridDrawStateFlag)

    // `today` answers the current date; the system clock when empty.
    explicit TCCalendar(QWidget* parent = nullptr, TodayFunction today = {});
    ~TCCalendar() override;

    // Date elements: 1 year, 2 month, 3 day; any other element answers -1.
    [[nodiscard]] int GetDateElement(int element) const;
    // Ignores values of 0 or less, a month above 12 and a day beyond the month;
    // throws ECalendarDateError when the new element makes no real date.
    void SetDateElement(int element, int value);

    [[nodiscard]] int Day() const { return GetDateElement(3); }
    [[nodiscard]] int Month() const { return GetDateElement(2); }
    [[nodiscard]] int Year() const { return GetDateElement(1); }
    void SetDay(int value) { SetDateElement(3, value); }
    void SetMonth(int value) { SetDateElement(2, value); }
    void SetYear(int value) { SetDateElement(1, value); }

    // The property writers: like the setters, but a value that makes no real
    // date is refused (Year, CalendarDate) or has its day clamped (Month).
    void writeDay(int value) noexcept;
    void writeMonth(int value) noexcept;
    void writeYear(int value) noexcept;
    void writeCalendarDate(const QDate& value) noexcept;

    [[nodiscard]] QDate CalendarDate() const { return date_; }
    // Throws ECalendarDateError for a date outside years 1 to 9999.
    void SeTCCalendarDate(const QDate& value);
    [[nodiscard]] Q_INVOKABLE bool StoreCalendarDate() const { return !useCurrentDate_; }

    [[nodiscard]] bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }

    [[nodiscard]] int StartOfWeek() const { return startOfWeek_; }
    // 1 Monday … 7 Sunday; anything else means 1.
    void SetStartOfWeek(int value);

    [[nodiscard]] bool UseCurrentDate() const { return useCurrentDate_; }
    void SetUseCurrentDate(bool value);

    [[nodiscard]] int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int value);
    [[nodiscard]] int DefaultColWidth() const { return defaultColWidth_; }
    [[nodiscard]] int DefaultRowHeight() const { return defaultRowHeight_; }

    // Day number in column 0 of row 1 (0 or negative when the month starts later).
    [[nodiscard]] int MonthOffset() const { return monthOffset_; }
    // The current cell.
    [[nodiscard]] int Col() const;
    [[nodiscard]] int Row() const;

    [[nodiscard]] QString GetCellText(int ACol, int ARow) const;

    void ChangeMonth(int delta);
    void PrevMonth() { ChangeMonth(-1); }
    void NextMonth() { ChangeMonth(1); }
    void PrevYear();
    void NextYear();

    virtual void Change();
    [[nodiscard]] virtual int DaysThisMonth() const;
    [[nodiscard]] virtual bool IsLeapYear(int year) const;
    virtual void UpdateCalendar();
    [[nodiscard]] virtual int DaysPerMonth(int year, int month) const;

    // Draws one cell's text, centred and clipped to `ARect`; the background,
    // highlight and grid lines are already painted.
    virtual void DrawCell(QPainter& canvas, int ACol, int ARow, const QRect& ARect,
                          TGridDrawState state);
    // Whether the cell may become current.
    [[nodiscard]] virtual bool SelectCell(int ACol, int ARow) const;
    // After the user moved the current cell: takes its day number.
    virtual void Click();
    // Sizes the cells so seven columns and seven rows fill `clientSize`; the
    // pixels left over widen the first cells by one each.
    void WMSize(const QSize& clientSize);

    [[nodiscard]] QSize sizeHint() const override;

signals:
    // The date changed through an element, the date itself or a month/year step.
    void OnChange();
    // The user moved the current cell; raised after the day has been taken.
    void OnClick();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void updateGeometries() override;
    [[nodiscard]] QItemSelectionModel::SelectionFlags
    selectionCommand(const QModelIndex& index, const QEvent* event) const override;

public:
    void keyboardSearch(const QString& search) override;

private:
    void applySectionSizes();
    // Moves the current cell to `day` of the shown month as the user would.
    void moveToDay(int day);
    // Runs a property write, logging instead of throwing.
    template <typename Write> void writeLogged(const char* property, Write write) noexcept;

    static constexpr int fixedRows_ = 1;
    static constexpr int fixedCols_ = 0;

    TodayFunction today_;
    QDate date_;
    int monthOffset_ = 0;
    bool readOnly_ = false;
    int startOfWeek_ = 1;
    bool updating_ = false;
    bool useCurrentDate_ = true;
    int gridLineWidth_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    QSize leftover_; // pixels left over beyond seven default cells and six lines
    Ccalendr::CalendarCellModel* model_ = nullptr;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TCCalendar::TGridDrawState)
