#include "graphics/WmfShapes.h"

#include "graphics/WmfRasterDevice.h"

#include <QPainter>
#include <QPolygonF>
#include <cmath>
#include <libwmf/defs.h>
#include <libwmf/ipa.h>
#include <libwmf/macro.h>

namespace graphics {
namespace {

WmfShapePainter* shapePainter(wmfAPI* api) {
    WmfPainters* painters = wmfPainters(api);
    return painters ? painters->shapes : nullptr;
}

QPolygonF polygonOf(const wmfD_Coord* points, unsigned count) {
    QPolygonF polygon;
    polygon.reserve(qsizetype(count));
    for (unsigned i = 0; i < count; ++i)
        polygon.append(QPointF(points[i].x, points[i].y));
    return polygon;
}

} // namespace

void WmfShapePainter::takeShapesOf(_wmfAPI* api) {
    auto* functions = static_cast<wmfFunctionReference*>(api->function_reference);
    libwmfPolygon_ = functions->draw_polygon;
    libwmfPolyPolygon_ = functions->draw_polypolygon;
    libwmfClip_ = functions->region_clip;
    functions->draw_polygon = drawPolygon;
    functions->draw_polypolygon = drawPolyPolygon;
    functions->region_clip = clipTo;
}

void WmfShapePainter::drawPolygon(_wmfAPI* api, _wmfPolyLine_t* polygon) {
    const WmfShapePainter* painter = shapePainter(api);
    if (!painter || !polygon)
        return;
    if (polygon->pt && polygon->count >= 3) {
        QPainterPath path;
        path.addPolygon(polygonOf(polygon->pt, polygon->count));
        path.closeSubpath();
        if (painter->fill(api, polygon->dc, path))
            return;
    }
    if (painter->libwmfPolygon_)
        painter->libwmfPolygon_(api, polygon);
}

void WmfShapePainter::drawPolyPolygon(_wmfAPI* api, _wmfPolyPoly_t* polygons) {
    const WmfShapePainter* painter = shapePainter(api);
    if (!painter || !polygons)
        return;
    if (polygons->pt && polygons->count) {
        QPainterPath path;
        for (unsigned i = 0; i < polygons->npoly; ++i) {
            if (!polygons->pt[i] || polygons->count[i] < 3)
                continue;
            path.addPolygon(polygonOf(polygons->pt[i], polygons->count[i]));
            path.closeSubpath();
        }
        if (painter->fill(api, polygons->dc, path))
            return;
    }
    if (painter->libwmfPolyPolygon_)
        painter->libwmfPolyPolygon_(api, polygons);
}

void WmfShapePainter::clipTo(_wmfAPI* api, _wmfPolyRectangle_t* region) {
    WmfShapePainter* painter = shapePainter(api);
    if (!painter)
        return;
    if (region) {
        painter->clip_ = QPainterPath();
        painter->clipped_ = region->count > 0 && region->TL && region->BR;
        const double sx = painter->size_.width() / painter->frame_.width();
        const double sy = painter->size_.height() / painter->frame_.height();
        for (unsigned i = 0; painter->clipped_ && i < region->count; ++i) {
            const QPointF topLeft((region->TL[i].x - painter->frame_.left()) * sx,
                                  (region->TL[i].y - painter->frame_.top()) * sy);
            const QPointF bottomRight((region->BR[i].x - painter->frame_.left()) * sx,
                                      (region->BR[i].y - painter->frame_.top()) * sy);
            painter->clip_.addRect(QRectF(topLeft, bottomRight).normalized());
        }
    }
    if (painter->libwmfClip_)
        painter->libwmfClip_(api, region);
}

bool WmfShapePainter::fill(_wmfAPI* api, const _wmfDC* dc, QPainterPath path) const {
    if (!dc || !dc->brush || !dc->pen || frame_.isEmpty() || size_.isEmpty())
        return false;
    if (WMF_BRUSH_STYLE(dc->brush) != BS_SOLID || WMF_PEN_STYLE(dc->pen) != PS_NULL ||
        dc->ROPmode != R2_COPYPEN)
        return false;
    int* pixels = devicePixelsWhilePlaying(api);
    if (!pixels)
        return false;
    QTransform toRaster;
    toRaster.scale(size_.width() / frame_.width(), size_.height() / frame_.height());
    toRaster.translate(-frame_.left(), -frame_.top());
    path = toRaster.map(path);
    path.setFillRule(dc->polyfillmode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    const QRectF bounds = path.boundingRect();
    if (!std::isfinite(bounds.width()) || !std::isfinite(bounds.height()))
        return true;
    QRect area = bounds.toAlignedRect().intersected(QRect(QPoint(0, 0), size_));
    if (clipped_)
        area = area.intersected(clip_.boundingRect().toAlignedRect());
    if (area.isEmpty())
        return true;
    QImage layer(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull())
        return false;
    layer.fill(Qt::transparent);
    QPainter painter(&layer);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-area.topLeft());
    if (clipped_)
        painter.setClipPath(clip_);
    const wmfRGB* colour = WMF_BRUSH_COLOR(dc->brush);
    painter.fillPath(path, QColor(colour->r, colour->g, colour->b));
    painter.end();
    blendOntoDevice(layer, area.topLeft(), 1, pixels, size_);
    return true;
}

} // namespace graphics
