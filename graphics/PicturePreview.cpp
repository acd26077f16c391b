#include "graphics/PicturePreview.h"

#include "graphics/PictureFormats.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

PicturePreview::PicturePreview(QWidget* parent) : QWidget(parent) {
    // The pane paints all of itself: the background around the picture and
    // under its transparent parts, the picture over the rest. Nothing below
    // needs painting first, which matters for a screen-sized picture.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PicturePreview::~PicturePreview() = default;

void PicturePreview::loadFromFile(const QString& path) {
    loadFromFile(path, PictureFormats::instance());
}

void PicturePreview::loadFromFile(const QString& path, const PictureFormats& formats) {
    setPicture(formats.loadFromFile(path));
}

void PicturePreview::setPicture(std::unique_ptr<Picture> picture) {
    picture_ = std::move(picture);
    cache_.setSource(picture_ ? picture_->image() : QImage());
    update();
    emit pictureChanged();
}

void PicturePreview::clear() {
    setPicture(nullptr);
}

bool PicturePreview::hasPicture() const {
    return picture_ && !picture_->isEmpty();
}

QSize PicturePreview::sizeHint() const {
    return {269, 333};
}

void PicturePreview::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRegion(event->region());
    const QBrush background = palette().brush(backgroundRole());
    const QRect target = hasPicture() ? fittedRect(picture_->image().size(), size()) : QRect();
    const QImage& image = cache_.imageFor(target.size(), devicePixelRatioF());
    if (image.isNull()) {
        painter.fillRect(rect(), background);
        return;
    }
    // Only where the picture leaves room, or shows through.
    const QRegion around = QRegion(rect()).subtracted(image.hasAlphaChannel() ? QRegion() : target);
    for (const QRect& part : around)
        painter.fillRect(part, background);
    painter.drawImage(target.topLeft(), image);
}

void PicturePreview::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}
