#include "components/cgauges/Cgauges.h"
#include "components/palette/Palette.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace Cgauges {

namespace {

// A framed gauge two-thirds full beside a quarter-filled pie.
QIcon gaugeIcon() {
    QImage picture(32, 32, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(1, 20, 29, 9);
    painter.fillRect(2, 21, 19, 8, QColor(0, 0, 128));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawEllipse(QRectF(6.5, 1.5, 17, 17));
    painter.setBrush(QColor(0, 0, 128));
    painter.drawPie(QRectF(6.5, 1.5, 17, 17), 0, 90 * 16);
    painter.end();
    return QIcon(QPixmap::fromImage(picture));
}

} // namespace

void Register() {
    palette::registerComponent({
        QStringLiteral("TCGauge"),
        QStringLiteral("components/cgauges/Cgauges.h"),
        QStringLiteral("進行状況ゲージ"),
        QStringLiteral("最小値から最大値までの進み具合を、文字・横棒・縦棒・円・針の"
                       "いずれかで百分率として表示します。"),
        gaugeIcon(),
        QStringLiteral("<ui language=\"c++\">"
                       "<widget class=\"TCGauge\" name=\"cGauge\">"
                       "<property name=\"geometry\"><rect><x>0</x><y>0</y>"
                       "<width>100</width><height>100</height></rect></property>"
                       "</widget></ui>"),
        [](QWidget* parent) -> QWidget* { return new TCGauge(parent); },
    });
}

} // namespace Cgauges
