#include "graphics/PicturePreview.h"

#include "graphics/PictureFormats.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

PicturePreview::PicturePreview(QWidget* parent) : QWidget(parent) {
    // The background shows around the picture and through its transparent parts.
    setAutoFillBackground(true);
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
    if (!picture_ || picture_->isEmpty())
        return;
    const QRect target = fittedRect(picture_->image().size(), size());
    const QPixmap& pixmap = cache_.pixmapFor(target.size(), devicePixelRatioF());
    if (pixmap.isNull())
        return;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawPixmap(target.topLeft(), pixmap);
}

void PicturePreview::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}
