// Puts the performance graph on the component palette, with what Qt Designer
// shows for it.

#include "components/palette/Palette.h"
#include "components/perfgrap/Perfgrap.h"

#include <QPainter>
#include <QPixmap>
#include <iterator>

namespace {

// A small strip chart in the graph's own default colours.
QIcon graphIcon() {
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::black);
    QPainter painter(&pixmap);
    const QColor grid(0, 128, 0);
    for (int y = 5; y < 22; y += 6)
        painter.fillRect(QRect(0, y, 22, 1), grid);
    for (int x = 3; x < 22; x += 6)
        painter.fillRect(QRect(x, 0, 1, 22), grid);
    painter.setPen(QPen(QColor(0, 255, 0), 2));
    const QPoint line[] = {{0, 18}, {5, 12}, {9, 15}, {14, 6}, {18, 9}, {22, 4}};
    painter.drawPolyline(line, int(std::size(line)));
    return QIcon(pixmap);
}

} // namespace

namespace Perfgrap {

void Register() {
    palette::ComponentEntry entry;
    entry.className = QStringLiteral("TPerformanceGraph");
    entry.includeFile = QStringLiteral("components/perfgrap/Perfgrap.h");
    entry.toolTip = QStringLiteral("性能グラフ");
    entry.whatsThis =
        QStringLiteral("最大 16 系列の値を積み上げ棒または折れ線で流して表示するグラフ");
    entry.icon = graphIcon();
    entry.domXml = QStringLiteral(R"(<ui language="c++">
 <widget class="TPerformanceGraph" name="performanceGraph">
  <property name="geometry">
   <rect>
    <x>0</x>
    <y>0</y>
    <width>100</width>
    <height>100</height>
   </rect>
  </property>
 </widget>
</ui>
)");
    entry.create = [](QWidget* parent) -> QWidget* { return new TPerformanceGraph(parent); };
    palette::registerComponent(std::move(entry));
}

} // namespace Perfgrap
