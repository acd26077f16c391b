#include "components/cgrid/Cgrid.h"
#include "components/palette/Palette.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace Cgrid {

namespace {

// The sixteen cells in four rows of four, as the grid starts out.
QIcon gridIcon() {
    QImage picture(32, 32, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    const auto& entries = defaultSystemPalette();
    for (int cell = 0; cell < kCellCount; ++cell) {
        const QRect square = cellRect(cell, Layout{4, 4}, QSize(8, 8));
        painter.fillRect(square, entryColor(entries[paletteEntryOfCell(cell)]));
    }
    painter.setPen(Qt::black);
    for (int line = 0; line <= 4; ++line) {
        const int at = std::min(line * 8, 31);
        painter.drawLine(at, 0, at, 31);
        painter.drawLine(0, at, 31, at);
    }
    painter.end();
    return QIcon(QPixmap::fromImage(picture));
}

} // namespace

void Register() {
    palette::registerComponent({
        QStringLiteral("TCColorGrid"),
        QStringLiteral("components/cgrid/Cgrid.h"),
        QStringLiteral("カラーグリッド"),
        QStringLiteral("標準の 16 色から、左ボタンまたは F キーで前景色を、右ボタンまたは "
                       "B キーで背景色を選びます。"),
        gridIcon(),
        QStringLiteral("<ui language=\"c++\">"
                       "<widget class=\"TCColorGrid\" name=\"cColorGrid\">"
                       "<property name=\"geometry\"><rect><x>0</x><y>0</y>"
                       "<width>100</width><height>100</height></rect></property>"
                       "</widget></ui>"),
        [](QWidget* parent) -> QWidget* { return new TCColorGrid(parent); },
    });
}

} // namespace Cgrid
