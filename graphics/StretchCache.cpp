#include "graphics/StretchCache.h"

QImage::Format stretchFormatFor(const QImage& image) {
    return image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
}

void StretchCache::setSource(const QImage& image) {
    source_ = image.isNull() ? QImage() : image.convertToFormat(stretchFormatFor(image));
    scaled_ = QImage();
    scaleCount_ = 0;
}

QRect fittedRect(QSize picture, QSize pane) {
    if (picture.isEmpty() || pane.isEmpty())
        return {};
    const qint64 pictureArea = qint64(picture.width()) * picture.height();
    const qint64 paneArea = qint64(pane.width()) * pane.height();
    const bool fits = picture.width() <= pane.width() && picture.height() <= pane.height();
    const QSize size = fits && pictureArea * 4 >= paneArea
                           ? picture
                           : picture.scaled(pane, Qt::KeepAspectRatio).expandedTo({1, 1});
    return {QPoint((pane.width() - size.width()) / 2, (pane.height() - size.height()) / 2), size};
}

const QImage& StretchCache::imageFor(QSize size, qreal devicePixelRatio) {
    if (source_.isNull() || size.isEmpty()) {
        static const QImage none;
        return none;
    }
    const QSize devicePixels = (QSizeF(size) * devicePixelRatio).toSize();
    if (scaled_.size() != devicePixels) {
        scaled_ =
            devicePixels == source_.size()
                ? source_
                : source_.scaled(devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        ++scaleCount_;
    }
    scaled_.setDevicePixelRatio(devicePixelRatio);
    return scaled_;
}
