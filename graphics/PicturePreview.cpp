#include "graphics/PicturePreview.h"

#include "graphics/OpaqueBlit.h"
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
    // Only where the picture before was and where this one goes: around
    // them the pane shows its background already, and a screen-sized pane
    // filled again would cost as much as the picture.
    update(QRegion(drawnAt_) | pictureRect());
    emit pictureChanged();
}

QRect PicturePreview::pictureRect() const {
    return hasPicture() ? fittedRect(picture_->image().size(), size()) : QRect();
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
    const QBrush background = palette().brush(backgroundRole());
    const QRect target = pictureRect();
    const QImage& image = cache_.imageFor(target.size(), devicePixelRatioF());
    drawnAt_ = image.isNull() ? QRect() : target;
    // The background only where the picture leaves room, or shows through.
    const bool opaque = !image.isNull() && !image.hasAlphaChannel();
    for (const QRect& part : event->region().subtracted(opaque ? QRegion(target) : QRegion()))
        painter.fillRect(part, background);
    if (image.isNull())
        return;
    if (!opaque || !graphics::blitOpaque(painter, target.topLeft(), image, event->region()))
        painter.drawImage(target.topLeft(), image);
}

void PicturePreview::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}
