#include "components/ccalendr/Ccalendr.h"

#include "components/ccalendr/CalendarCells.h"
#include "components/ccalendr/CalendarMath.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

Q_LOGGING_CATEGORY(lcCcalendr, "sorteka.components.ccalendr", QtWarningMsg)

namespace {

// The message of the runtime's date conversion error.
QString dateErrorText() {
    return QStringLiteral("日付に変換できない値が渡されました");
}

void fixSections(QHeaderView* header) {
    header->hide();
    header->setMinimumSectionSize(0);
    header->setSectionResizeMode(QHeaderView::Fixed);
}

} // namespace

ECalendarDateError::ECalendarDateError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

TCCalendar::TCCalendar(QWidget* parent, TodayFunction today)
    : QTableView(parent), today_(today ? std::move(today) : [] { return QDate::currentDate(); }) {
    model_ = new Ccalendr::CalendarCellModel(*this, this);
    setModel(model_);
    setItemDelegate(new Ccalendr::CalendarCellDelegate(*this, this));
    fixSections(horizontalHeader());
    fixSections(verticalHeader());
    // The delegate draws grid lines of GridLineWidth itself.
    setShowGrid(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAutoScroll(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setWordWrap(false);

    SetStartOfWeek(1);
    date_ = today_();
    applySectionSizes();
    UpdateCalendar();
}

TCCalendar::~TCCalendar() = default;

int TCCalendar::GetDateElement(int element) const {
    switch (element) {
    case 1:
        return date_.year();
    case 2:
        return date_.month();
    case 3:
        return date_.day();
    default:
        return -1;
    }
}

void TCCalendar::SetDateElement(int element, int value) {
    if (value <= 0)
        return;
    int year = date_.year();
    int month = date_.month();
    int day = date_.day();
    bool changed = false;
    switch (element) {
    case 1:
        changed = year != value;
        year = value;
        break;
    case 2:
        if (value <= 12) {
            changed = month != value;
            month = value;
        }
        break;
    case 3:
        if (value <= DaysThisMonth()) {
            changed = day != value;
            day = value;
        }
        break;
    default:
        break;
    }
    if (!changed)
        return;
    if (!Ccalendr::isValidDate(year, month, day))
        throw ECalendarDateError(dateErrorText());
    date_ = QDate(year, month, day);
    useCurrentDate_ = false;
    UpdateCalendar();
    Change();
}

void TCCalendar::SeTCCalendarDate(const QDate& value) {
    if (!value.isValid() || !Ccalendr::isValidDate(value.year(), value.month(), value.day()))
        throw ECalendarDateError(dateErrorText());
    date_ = value;
    UpdateCalendar();
    Change();
}

template <typename Write> void TCCalendar::writeLogged(const char* property, Write write) noexcept {
    try {
        write();
    } catch (const std::exception& error) {
        qCWarning(lcCcalendr) << property << "kept its value:" << error.what();
    }
}

void TCCalendar::writeDay(int value) noexcept {
    writeLogged("Day", [&] { SetDay(value); });
}

void TCCalendar::writeMonth(int value) noexcept {
    writeLogged("Month", [&] {
        if (value >= 1 && value <= 12 && date_.day() > DaysPerMonth(date_.year(), value)) {
            qCInfo(lcCcalendr) << "Month" << value << "clamps the day";
            SeTCCalendarDate(QDate(date_.year(), value, DaysPerMonth(date_.year(), value)));
            useCurrentDate_ = false;
            return;
        }
        SetMonth(value);
    });
}

void TCCalendar::writeYear(int value) noexcept {
    writeLogged("Year", [&] {
        // 29 February in a year without it becomes the 28th.
        if (value >= 1 && value <= 9999 && date_.day() > DaysPerMonth(value, date_.month())) {
            SeTCCalendarDate(QDate(value, date_.month(), DaysPerMonth(value, date_.month())));
            useCurrentDate_ = false;
            return;
        }
        SetYear(value);
    });
}

void TCCalendar::writeCalendarDate(const QDate& value) noexcept {
    writeLogged("CalendarDate", [&] { SeTCCalendarDate(value); });
}

void TCCalendar::SetStartOfWeek(int value) {
    // An out-of-range week start means Monday. When the stored start really
    // changes the grid is laid out again, or day names and days would disagree.
    if (value < 1 || value > 7)
        value = 1;
    if (value == startOfWeek_)
        return;
    startOfWeek_ = value;
    UpdateCalendar();
}

void TCCalendar::SetUseCurrentDate(bool value) {
    if (value == useCurrentDate_)
        return;
    useCurrentDate_ = value;
    if (value) {
        date_ = today_();
        UpdateCalendar();
    }
}

void TCCalendar::SetGridLineWidth(int value) {
    value = std::max(value, 0);
    if (value == gridLineWidth_)
        return;
    gridLineWidth_ = value;
    WMSize(viewport()->size());
    viewport()->update();
}

int TCCalendar::Col() const {
    return currentIndex().column();
}

int TCCalendar::Row() const {
    return currentIndex().row();
}

QString TCCalendar::GetCellText(int ACol, int ARow) const {
    if (ARow == 0) {
        const int weekday = Ccalendr::headerWeekday(startOfWeek_, ACol);
        return locale().dayName(weekday == 0 ? 7 : weekday, QLocale::ShortFormat);
    }
    const int day = Ccalendr::dayOfCell(ACol, ARow, monthOffset_);
    if (day < 1 || day > DaysThisMonth())
        return {};
    return QString::number(day);
}

void TCCalendar::ChangeMonth(int delta) {
    SeTCCalendarDate(Ccalendr::shiftedByMonth(date_, delta));
}

void TCCalendar::PrevYear() {
    if (IsLeapYear(Year()) && Month() == 2 && Day() == 29)
        SetDateElement(3, 28);
    SetDateElement(1, Year() - 1);
}

void TCCalendar::NextYear() {
    if (IsLeapYear(Year()) && Month() == 2 && Day() == 29)
        SetDateElement(3, 28);
    SetDateElement(1, Year() + 1);
}

void TCCalendar::Change() {
    emit OnChange();
}

int TCCalendar::DaysThisMonth() const {
    return DaysPerMonth(date_.year(), date_.month());
}

bool TCCalendar::IsLeapYear(int year) const {
    return Ccalendr::isLeapYear(year);
}

int TCCalendar::DaysPerMonth(int year, int month) const {
    return Ccalendr::daysPerMonth(year, month);
}

void TCCalendar::UpdateCalendar() {
    updating_ = true;
    const QDate first(date_.year(), date_.month(), 1);
    monthOffset_ = Ccalendr::monthOffset(Ccalendr::weekdayFromSunday(first), startOfWeek_);
    model_->refresh();
    const Ccalendr::CellPos cell = Ccalendr::cellOfDay(date_.day(), monthOffset_);
    // Moves the current cell only: no scrolling, and the selection is that cell.
    if (SelectCell(cell.column, cell.row))
        selectionModel()->setCurrentIndex(model_->index(cell.row, cell.column),
                                          QItemSelectionModel::ClearAndSelect);
    viewport()->update();
    updating_ = false;
}

void TCCalendar::DrawCell(QPainter& canvas, int ACol, int ARow, const QRect& ARect,
                          TGridDrawState /*state*/) {
    QString text = GetCellText(ACol, ARow);
    QFont font = canvas.font();
    font.setPixelSize(QFontInfo(font).pixelSize());
    QFontMetrics metrics(font);
    // Small cells: when the widest day name does not fit, every name is cut to
    // the same few letters, and a text that still does not fit is drawn in a
    // smaller font rather than cut off.
    if (ARow == 0) {
        // Measured against the narrowest cell (the first ones may be a pixel
        // wider), so all seven names are cut alike.
        const int room = std::min(ARect.width(), defaultColWidth_);
        for (qsizetype letters : {qsizetype(-1), qsizetype(2), qsizetype(1)}) {
            int widest = 0;
            for (int column = 0; column < Ccalendr::CalendarCellModel::columns; ++column)
                widest = std::max(widest,
                                  metrics.horizontalAdvance(GetCellText(column, 0).left(letters)));
            if (widest <= room || letters == 1) {
                text = text.left(letters);
                break;
            }
        }
    }
    while ((metrics.horizontalAdvance(text) > ARect.width() || metrics.height() > ARect.height()) &&
           font.pixelSize() > 5) {
        font.setPixelSize(font.pixelSize() - 1);
        metrics = QFontMetrics(font);
    }
    const int x =
        Ccalendr::centredStart(ARect.left(), ARect.width(), metrics.horizontalAdvance(text));
    const int y = Ccalendr::centredStart(ARect.top(), ARect.height(), metrics.height());
    canvas.save();
    canvas.setFont(font);
    canvas.setClipRect(ARect, Qt::IntersectClip);
    canvas.drawText(x, y + metrics.ascent(), text);
    canvas.restore();
}

bool TCCalendar::SelectCell(int ACol, int ARow) const {
    if (readOnly_ && !updating_)
        return false;
    if (GetCellText(ACol, ARow).isEmpty())
        return false;
    // What any grid allows: a cell inside it and outside the fixed row.
    return ACol >= fixedCols_ && ACol < Ccalendr::CalendarCellModel::columns &&
           ARow >= fixedRows_ && ARow < Ccalendr::CalendarCellModel::rows;
}

void TCCalendar::Click() {
    const QString text = GetCellText(Col(), Row());
    if (!text.isEmpty())
        SetDateElement(3, text.toInt());
    emit OnClick();
}

void TCCalendar::WMSize(const QSize& clientSize) {
    defaultColWidth_ = Ccalendr::cellExtentFor(clientSize.width(), gridLineWidth_);
    defaultRowHeight_ = Ccalendr::cellExtentFor(clientSize.height(), gridLineWidth_);
    leftover_ = {Ccalendr::leftoverExtent(clientSize.width(), gridLineWidth_),
                 Ccalendr::leftoverExtent(clientSize.height(), gridLineWidth_)};
    applySectionSizes();
}

QSize TCCalendar::sizeHint() const {
    const QFontMetrics metrics(font());
    int widest = metrics.horizontalAdvance(QStringLiteral("88"));
    for (int day = 1; day <= 7; ++day)
        widest = std::max(widest,
                          metrics.horizontalAdvance(locale().dayName(day, QLocale::ShortFormat)));
    const int frame = 2 * frameWidth();
    return {7 * (widest + 12) + 6 * gridLineWidth_ + frame,
            7 * (metrics.height() + 6) + 6 * gridLineWidth_ + frame};
}

void TCCalendar::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    WMSize(viewport()->size());
}

void TCCalendar::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    // The day names follow the widget's locale.
    if (event->type() == QEvent::LocaleChange) {
        model_->refresh();
        viewport()->update();
    }
}

void TCCalendar::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !index.isValid() ||
        !SelectCell(index.column(), index.row())) {
        if (focusPolicy() & Qt::ClickFocus)
            setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
    if (currentIndex() == index)
        Click();
}

void TCCalendar::mouseMoveEvent(QMouseEvent* event) {
    // A drag does not carry the current cell along: a day is picked by a press.
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void TCCalendar::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && !readOnly_) {
        switch (event->key()) {
        case Qt::Key_Home:
        case Qt::Key_End: {
            // The week's ends: the first or last day shown in the current row.
            const int step = event->key() == Qt::Key_Home ? 1 : -1;
            int column = step > 0 ? 0 : Ccalendr::CalendarCellModel::columns - 1;
            while (!SelectCell(column, Row()))
                column += step;
            moveToDay(GetCellText(column, Row()).toInt());
            event->accept();
            return;
        }
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            try {
                ChangeMonth(event->key() == Qt::Key_PageUp ? -1 : 1);
                emit OnClick();
            } catch (const ECalendarDateError&) {
                // No month before year 1 or after 9999: the key does nothing.
            }
            event->accept();
            return;
        default:
            break;
        }
    }
    const QModelIndex before = currentIndex();
    QTableView::keyPressEvent(event);
    if (currentIndex() != before)
        Click();
}

void TCCalendar::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    // The current day is drawn differently with and without the keyboard.
    viewport()->update();
}

void TCCalendar::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    viewport()->update();
}

void TCCalendar::moveToDay(int day) {
    if (day == Day())
        return;
    const Ccalendr::CellPos cell = Ccalendr::cellOfDay(day, monthOffset_);
    selectionModel()->setCurrentIndex(model_->index(cell.row, cell.column),
                                      QItemSelectionModel::ClearAndSelect);
    Click();
}

void TCCalendar::wheelEvent(QWheelEvent* event) {
    // The grid always shows all of itself; the wheel belongs to the parent.
    event->ignore();
}

QModelIndex TCCalendar::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    const QModelIndex target = QTableView::moveCursor(cursorAction, modifiers);
    if (target.isValid() && target != currentIndex() && !SelectCell(target.column(), target.row()))
        return currentIndex();
    return target;
}

void TCCalendar::updateGeometries() {
    QTableView::updateGeometries();
    // The last grid line may reach past the edge; that must not make the grid scroll.
    horizontalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setRange(0, 0);
}

QItemSelectionModel::SelectionFlags TCCalendar::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* /*event*/) const {
    // The current day is always the one selected cell; Ctrl+click must not
    // deselect it.
    return index.isValid() ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate;
}

void TCCalendar::keyboardSearch(const QString& /*search*/) {
    // Typing does not jump to a day.
}

void TCCalendar::applySectionSizes() {
    const int columnSection = defaultColWidth_ + gridLineWidth_;
    const int rowSection = defaultRowHeight_ + gridLineWidth_;
    horizontalHeader()->setDefaultSectionSize(columnSection);
    verticalHeader()->setDefaultSectionSize(rowSection);
    // The pixels seven equal cells leave over widen the first cells by one
    // each, so the grid reaches the frame instead of ending in a blank strip.
    for (int column = 0; column < Ccalendr::CalendarCellModel::columns; ++column)
        horizontalHeader()->resizeSection(column,
                                          columnSection + (column < leftover_.width() ? 1 : 0));
    for (int row = 0; row < Ccalendr::CalendarCellModel::rows; ++row)
        verticalHeader()->resizeSection(row, rowSection + (row < leftover_.height() ? 1 : 0));
}
