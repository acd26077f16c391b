#pragma once

#include <QPointF>
#include <QRectF>
#include <QSize>

namespace graphics {

// Where libwmf's device space lands on its raster: `frame`, a part of the
// device space, fills the raster's `size` pixels, `supersampling` of them to
// a pixel of the picture.
struct WmfRaster {
    QRectF frame;
    QSize size;
    int supersampling = 1;

    [[nodiscard]] bool isValid() const {
        return !frame.isEmpty() && !size.isEmpty() && supersampling >= 1;
    }
    // Raster pixels per unit of the device space.
    [[nodiscard]] QPointF scale() const {
        return {size.width() / frame.width(), size.height() / frame.height()};
    }
    // A point of the device space on the raster.
    [[nodiscard]] QPointF onRaster(QPointF p) const {
        const QPointF s = scale();
        return {(p.x() - frame.left()) * s.x(), (p.y() - frame.top()) * s.y()};
    }
};

} // namespace graphics
