#include "dialogs/DirbrowseIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int IconSize = 16;
const QColor Outline(128, 96, 0);
const QColor Body(255, 214, 80);
const QColor Front(255, 236, 150);

QPixmap closedFolder() {
    QPixmap pixmap(IconSize, IconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Outline);
    painter.setBrush(Body);
    // tab, then the body
    painter.drawRect(1, 3, 6, 2);
    painter.drawRect(1, 5, 13, 8);
    return pixmap;
}

QPixmap openFolder(bool withPage) {
    QPixmap pixmap(IconSize, IconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Outline);
    painter.setBrush(Body);
    painter.drawRect(1, 3, 6, 2);
    painter.drawRect(1, 5, 12, 8);
    if (withPage) {
        // the directory being looked into: a sheet stands out of it
        painter.setBrush(Qt::white);
        painter.drawRect(4, 2, 8, 8);
    }
    // the front flap, opened towards the viewer
    QPainterPath flap;
    flap.moveTo(1, 13);
    flap.lineTo(4, 8);
    flap.lineTo(15, 8);
    flap.lineTo(13, 13);
    flap.closeSubpath();
    painter.setBrush(Front);
    painter.drawPath(flap);
    return pixmap;
}

} // namespace

QIcon dirEntryIcon(DirEntryKind kind) {
    // Drawn once: the list is rebuilt on every move.
    static const QIcon open(openFolder(false));
    static const QIcon current(openFolder(true));
    static const QIcon closed(closedFolder());
    switch (kind) {
    case DirEntryKind::OpenFolder:
        return open;
    case DirEntryKind::CurrentFolder:
        return current;
    case DirEntryKind::ClosedFolder:
        break;
    }
    return closed;
}
