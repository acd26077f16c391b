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

// Orange for a name that is taken, green when the file there is the picture
// itself: sorting to it then changes nothing worth keeping.
QColor markColour(ClashMark mark) {
    return mark == ClashMark::SameContent ? QColor(0x2e, 0x9e, 0x44) : QColor(0xf0, 0x8c, 0x00);
}

void drawMarkDisc(QPainter& p, ClashMark mark, const QRectF& disc) {
    p.setPen(QPen(QColor(0x40, 0x30, 0x10), 1.0));
    p.setBrush(markColour(mark));
    p.drawEllipse(disc);
}

// The full-size mark: a disc with "!" for a taken name, "=" for the same content.
void drawClashMark(QPainter& p, ClashMark mark) {
    drawMarkDisc(p, mark, QRectF(1.5, 1.5, 13.0, 13.0));
    p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::FlatCap));
    if (mark == ClashMark::SameContent) {
        p.drawLine(QPointF(4.5, 6.0), QPointF(11.5, 6.0));
        p.drawLine(QPointF(4.5, 10.0), QPointF(11.5, 10.0));
    } else {
        p.drawLine(QPointF(8.0, 4.0), QPointF(8.0, 9.5));
        p.drawLine(QPointF(8.0, 11.0), QPointF(8.0, 13.0));
    }
}

} // namespace

QIcon openFolderIcon() {
    return renderIcon(drawOpenFolder);
}

QIcon digitIcon(int digit, ClashMark mark) {
    return renderIcon([digit, mark](QPainter& p) {
        drawDigit(p, digit);
        // A small disc on the tile's corner, clear of the digit.
        if (mark != ClashMark::None)
            drawMarkDisc(p, mark, QRectF(10.0, 0.5, 6.0, 6.0));
    });
}

QIcon clashMarkIcon(ClashMark mark) {
    if (mark == ClashMark::None)
        return {};
    QIcon icon = renderIcon([mark](QPainter& p) { drawClashMark(p, mark); });
    // Sizes below 16 too, drawn rather than scaled down, so the mark can sit
    // in a list row of small text without making the row taller.
    for (int size = 10; size < 16; ++size) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        drawClashMark(p, mark);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QList<QIcon> toolbarImageList() {
    QList<QIcon> images;
    images.append(openFolderIcon());
    for (int digit = 1; digit <= 9; ++digit)
        images.append(digitIcon(digit));
    images.append(programIcon());
    return images;
}
