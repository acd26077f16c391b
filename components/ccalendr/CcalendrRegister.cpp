#include "components/ccalendr/Ccalendr.h"
#include "components/palette/Palette.h"

#include <QPainter>
#include <QPixmap>

namespace {

// A small calendar leaf: a coloured binding strip over a grid of days with one
// day marked, readable at palette size.
QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 32.0;
    painter.scale(unit, unit);

    const QRectF leaf(2.5, 4.5, 27, 25);
    painter.setPen(QPen(QColor(70, 70, 70), 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(leaf, 2, 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 50, 50));
    painter.drawRect(QRectF(3, 5, 26, 6));
    painter.setBrush(QColor(90, 90, 90));
    painter.drawRect(QRectF(8, 2, 2, 5));
    painter.drawRect(QRectF(22, 2, 2, 5));

    painter.setBrush(QColor(150, 150, 150));
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 5; ++column)
            painter.drawRect(QRectF(5 + column * 4.8, 13.5 + row * 3.9, 3, 2.6));
    painter.setBrush(QColor(40, 90, 200));
    painter.drawRect(QRectF(4.2 + 2 * 4.8, 12.8 + 2 * 3.9, 4.6, 4));
    return pixmap;
}

QIcon calendarIcon() {
    QIcon icon;
    for (const int size : {16, 22, 32, 48})
        icon.addPixmap(drawIcon(size));
    return icon;
}

} // namespace

namespace Ccalendr {

void Register() {
    palette::registerComponent({
        QStringLiteral("TCCalendar"),
        QStringLiteral("components/ccalendr/Ccalendr.h"),
        QStringLiteral("月のカレンダー"),
        QStringLiteral("One month as a grid of day numbers under a row of day names. "
                       "The current cell is the day of the date; the week may start on "
                       "any day."),
        calendarIcon(),
        QStringLiteral(R"(<ui language="c++">
 <widget class="TCCalendar" name="CCalendar">
  <property name="geometry">
   <rect><x>0</x><y>0</y><width>320</width><height>120</height></rect>
  </property>
  <property name="StartOfWeek"><number>1</number></property>
  <property name="ReadOnly"><bool>false</bool></property>
  <property name="UseCurrentDate"><bool>true</bool></property>
 </widget>
</ui>
)"),
        [](QWidget* parent) -> QWidget* { return new TCCalendar(parent); },
    });
}

} // namespace Ccalendr
