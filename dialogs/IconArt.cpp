#include "dialogs/IconArt.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

void drawProgram(QPainter& p) {
    // A picture card dropping into a tray: sorting pictures.
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), 1.0));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 1.5, 9.0, 8.0));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x4c, 0xa3, 0x4c));
    QPainterPath hill;
    hill.moveTo(4.0, 9.0);
    hill.lineTo(7.0, 5.0);
    hill.lineTo(9.0, 7.5);
    hill.lineTo(10.5, 6.0);
    hill.lineTo(12.0, 9.0);
    hill.closeSubpath();
    p.drawPath(hill);
    p.setBrush(QColor(0xf2, 0xc0, 0x2e));
    p.drawEllipse(QPointF(10.5, 3.8), 1.1, 1.1);
    p.setPen(QPen(QColor(0x1d, 0x4f, 0x91), 1.0));
    p.setBrush(QColor(0x3b, 0x7d, 0xd8));
    QPainterPath tray;
    tray.moveTo(1.5, 10.5);
    tray.lineTo(14.5, 10.5);
    tray.lineTo(13.0, 14.5);
    tray.lineTo(3.0, 14.5);
    tray.closeSubpath();
    p.drawPath(tray);
}

} // namespace

// Renders one drawing, made on a 16 × 16 grid, at several pixel sizes.
QIcon renderIcon(const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(size / 16.0, size / 16.0);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon programIcon() {
    return renderIcon(drawProgram);
}
