#include "graphics/StretchCache.h"

QImage::Format stretchFormatFor(const QImage& image) {
    return image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
}

void StretchCache::setSource(const QImage& image) {
    source_ = image.isNull() ? QImage() : image.convertToFormat(stretchFormatFor(image));
    scaled_ = QPixmap();
    scaleCount_ = 0;
}

const QPixmap& StretchCache::pixmapFor(QSize size) {
    if (source_.isNull() || size.isEmpty()) {
        static const QPixmap none;
        return none;
    }
    if (scaled_.size() != size) {
        scaled_ = QPixmap::fromImage(
            source_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        ++scaleCount_;
    }
    return scaled_;
}
