#include "app/ToolbarArt.h"

#include "dialogs/IconArt.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

void drawOpenFolder(QPainter& p) {
    const QColor outline(0x8a, 0x63, 0x10);
    // Back of the folder with its tab.
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6.0, 3.5);
    back.lineTo(7.5, 5.0);
    back.lineTo(13.5, 5.0);
    back.lineTo(13.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.setPen(QPen(outline, 1.0));
    p.setBrush(QColor(0xe8, 0xb9, 0x4a));
    p.drawPath(back);
    // The opened front flap, tilted towards the viewer.
    QPainterPath front;
    front.moveTo(1.5, 13.5);
    front.lineTo(4.0, 7.5);
    front.lineTo(15.5, 7.5);
    front.lineTo(13.5, 13.5);
    front.closeSubpath();
    p.setBrush(QColor(0xfb, 0xd8, 0x74));
    p.drawPath(front);
}

void drawDigit(QPainter& p, int digit) {
    // Destination buttons: a blue tile with a white digit.
    p.setPen(QPen(QColor(0x1d, 0x4f, 0x91), 1.0));
    p.setBrush(QColor(0x3b, 0x7d, 0xd8));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13.0, 13.0), 2.5, 2.5);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(1.5, 1.0, 13.0, 13.5), Qt::AlignCenter, QString::number(digit));
}

} // namespace

QIcon openFolderIcon() {
    return renderIcon(drawOpenFolder);
}

QIcon digitIcon(int digit) {
    return renderIcon([digit](QPainter& p) { drawDigit(p, digit); });
}

QList<QIcon> toolbarImageList() {
    QList<QIcon> images;
    images.append(openFolderIcon());
    for (int digit = 1; digit <= 9; ++digit)
        images.append(digitIcon(digit));
    images.append(programIcon());
    return images;
}
