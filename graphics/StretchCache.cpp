#include "graphics/StretchCache.h"

QImage::Format stretchFormatFor(const QImage& image) {
    return image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
}

void StretchCache::setSource(const QImage& image) {
    // The scaled picture may be a view of the old source's pixels: it goes first.
    scaled_ = QImage();
    source_ = image.isNull() ? QImage() : image.convertToFormat(stretchFormatFor(image));
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
        // At its own size the picture is shown as it is, through a view of
        // its pixels: the screen's pixel ratio set on a shared copy would
        // copy them all, a screenful for every picture.
        scaled_ =
            devicePixels == source_.size()
                ? QImage(source_.constBits(), source_.width(), source_.height(),
                         source_.bytesPerLine(), source_.format())
                : source_.scaled(devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        ++scaleCount_;
    }
    scaled_.setDevicePixelRatio(devicePixelRatio);
    return scaled_;
}
