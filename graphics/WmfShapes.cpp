#include "graphics/WmfShapes.h"

#include "graphics/FineCurves.h"
#include "graphics/WmfRasterDevice.h"

#include <QList>
#include <QPainter>
#include <QPolygonF>
#include <cmath>
#include <libwmf/defs.h>
#include <libwmf/ipa.h>
#include <libwmf/macro.h>
#include <numbers>
#include <optional>

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

QRectF rectOf(const wmfD_Coord& topLeft, const wmfD_Coord& bottomRight) {
    return QRectF(QPointF(topLeft.x, topLeft.y), QPointF(bottomRight.x, bottomRight.y))
        .normalized();
}

// The angle, in degrees counter-clockwise as Qt counts on an ellipse in
// `box`, of the line from its centre along `towards` (libwmf hands the
// points that end an arc over as offsets from the centre).
double angleTowards(const QRectF& box, const wmfD_Coord& towards) {
    const double dx = towards.x / (box.width() / 2);
    const double dy = -towards.y / (box.height() / 2);
    return std::atan2(dy, dx) * 180.0 / std::numbers::pi;
}

// An arc of the ellipse in `box`, counter-clockwise on the screen as a
// metafile's arcs run; the whole ellipse when its ends meet. libwmf has
// swapped the ends for its own devices, which draw clockwise: the arc runs
// from its `end` to its `start`.
struct ArcSpan {
    double from;
    double sweep;
};

ArcSpan arcSpan(const QRectF& box, const wmfD_Coord& start, const wmfD_Coord& end) {
    const double from = angleTowards(box, end);
    double sweep = angleTowards(box, start) - from;
    while (sweep <= 0)
        sweep += 360.0;
    return {from, sweep};
}

// `path` with its points moved to the middle of the picture's pixels they
// round to (`step` raster pixels each): a line a pixel wide then covers
// whole pixels, sharp, as on a screen.
QPainterPath onPixelCentres(QPainterPath path, double step) {
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        path.setElementPositionAt(i, (std::round(element.x / step) + 0.5) * step,
                                  (std::round(element.y / step) + 0.5) * step);
    }
    return path;
}

QColor colourOf(const wmfRGB* rgb) {
    return {rgb->r, rgb->g, rgb->b};
}

// Windows' hatches: an 8-pixel tile of lines in `colour` on nothing, each
// of its pixels `scale` raster pixels; a null image for an unknown hatch.
QImage hatchTile(unsigned hatch, QColor colour, int scale) {
    const auto inLine = [hatch](int x, int y) {
        switch (hatch) {
        case HS_HORIZONTAL:
            return y == 7;
        case HS_VERTICAL:
            return x == 7;
        case HS_FDIAGONAL:
            return x == y;
        case HS_BDIAGONAL:
            return x + y == 7;
        case HS_CROSS:
            return x == 7 || y == 7;
        case HS_DIAGCROSS:
            return x == y || x + y == 7;
        default:
            return false;
        }
    };
    if (hatch > HS_DIAGCROSS || scale < 1)
        return {};
    QImage tile(8 * scale, 8 * scale, QImage::Format_ARGB32_Premultiplied);
    if (tile.isNull())
        return {};
    tile.fill(Qt::transparent);
    for (int y = 0; y < tile.height(); ++y)
        for (int x = 0; x < tile.width(); ++x)
            if (inLine(x / scale, y / scale))
                tile.setPixelColor(x, y, colour);
    return tile;
}

// The dashes of Windows' one-pixel pens, in pixels on and off.
QList<qreal> dashesOf(unsigned style) {
    switch (style) {
    case PS_DASH:
        return {18, 6};
    case PS_DOT:
        return {3, 3};
    case PS_DASHDOT:
        return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

// The outlines of libwmf's shapes, in its device space; none when a shape
// is degenerate (libwmf then has it).
using MaybePath = std::optional<QPainterPath>;

MaybePath polygonPath(const _wmfPolyLine_t& polygon) {
    if (!polygon.pt || polygon.count < 2)
        return std::nullopt;
    QPainterPath path;
    path.addPolygon(polygonOf(polygon.pt, polygon.count));
    path.closeSubpath();
    return path;
}

MaybePath polyPolygonPath(const _wmfPolyPoly_t& polygons) {
    if (!polygons.pt || !polygons.count)
        return std::nullopt;
    QPainterPath path;
    for (unsigned i = 0; i < polygons.npoly; ++i) {
        if (!polygons.pt[i] || polygons.count[i] < 2)
            continue;
        path.addPolygon(polygonOf(polygons.pt[i], polygons.count[i]));
        path.closeSubpath();
    }
    return path;
}

MaybePath polylinePath(const _wmfPolyLine_t& line) {
    if (!line.pt || line.count < 2)
        return std::nullopt;
    QPainterPath path;
    path.addPolygon(polygonOf(line.pt, line.count));
    return path;
}

MaybePath linePath(const _wmfDrawLine_t& line) {
    QPainterPath path(QPointF(line.from.x, line.from.y));
    path.lineTo(line.to.x, line.to.y);
    return path;
}

MaybePath rectanglePath(const _wmfDrawRectangle_t& rectangle) {
    QPainterPath path;
    const QRectF box = rectOf(rectangle.TL, rectangle.BR);
    // The corner ellipse's axes; no rounding when nought.
    if (rectangle.width > 0 && rectangle.height > 0)
        path.addRoundedRect(box, std::min(double(rectangle.width), box.width()) / 2,
                            std::min(double(rectangle.height), box.height()) / 2);
    else
        path.addRect(box);
    return path;
}

MaybePath ellipsePath(const _wmfDrawArc_t& ellipse) {
    QPainterPath path;
    path.addEllipse(rectOf(ellipse.TL, ellipse.BR));
    return path;
}

enum class ArcKind { Arc, Pie, Chord };

template <ArcKind Kind> MaybePath arcPath(const _wmfDrawArc_t& arc) {
    if (arc.BR.x == arc.TL.x || arc.BR.y == arc.TL.y)
        return std::nullopt;
    const QRectF box = rectOf(arc.TL, arc.BR);
    const ArcSpan span = arcSpan(box, arc.start, arc.end);
    QPainterPath path;
    if (Kind == ArcKind::Pie)
        path.moveTo(box.center());
    else
        path.arcMoveTo(box, span.from);
    path.arcTo(box, span.from, span.sweep);
    if (Kind != ArcKind::Arc)
        path.closeSubpath();
    return path;
}

} // namespace

void WmfShapePainter::takeShapesOf(_wmfAPI* playing) {
    auto* functions = static_cast<wmfFunctionReference*>(playing->function_reference);
    libwmf_ = {functions->draw_polygon, functions->draw_polypolygon, functions->poly_line,
               functions->draw_line,    functions->draw_rectangle,   functions->draw_ellipse,
               functions->draw_arc,     functions->draw_pie,         functions->draw_chord,
               functions->region_clip};
    functions->draw_polygon = [](wmfAPI* api, wmfPolyLine_t* polygon) {
        draw(api, polygon, &Libwmf::polygon, Outline::Closed, polygonPath);
    };
    functions->draw_polypolygon = [](wmfAPI* api, wmfPolyPoly_t* polygons) {
        draw(api, polygons, &Libwmf::polyPolygon, Outline::Closed, polyPolygonPath);
    };
    functions->poly_line = [](wmfAPI* api, wmfPolyLine_t* line) {
        draw(api, line, &Libwmf::polyline, Outline::Open, polylinePath);
    };
    functions->draw_line = [](wmfAPI* api, wmfDrawLine_t* line) {
        draw(api, line, &Libwmf::line, Outline::Open, linePath);
    };
    functions->draw_rectangle = [](wmfAPI* api, wmfDrawRectangle_t* rectangle) {
        draw(api, rectangle, &Libwmf::rectangle, Outline::Closed, rectanglePath);
    };
    functions->draw_ellipse = [](wmfAPI* api, wmfDrawArc_t* ellipse) {
        draw(api, ellipse, &Libwmf::ellipse, Outline::Closed, ellipsePath);
    };
    functions->draw_arc = [](wmfAPI* api, wmfDrawArc_t* arc) {
        draw(api, arc, &Libwmf::arc, Outline::Open, arcPath<ArcKind::Arc>);
    };
    functions->draw_pie = [](wmfAPI* api, wmfDrawArc_t* pie) {
        draw(api, pie, &Libwmf::pie, Outline::Closed, arcPath<ArcKind::Pie>);
    };
    functions->draw_chord = [](wmfAPI* api, wmfDrawArc_t* chord) {
        draw(api, chord, &Libwmf::chord, Outline::Closed, arcPath<ArcKind::Chord>);
    };
    functions->region_clip = clipTo;
}

template <typename Shape>
void WmfShapePainter::draw(_wmfAPI* api, Shape* shape, LibwmfDraw<Shape> Libwmf::*libwmfDraw,
                           Outline outline, std::optional<QPainterPath> (*pathOf)(const Shape&)) {
    const WmfShapePainter* painter = shapePainter(api);
    if (!painter || !shape)
        return;
    if (const auto path = pathOf(*shape); path && painter->paint(api, shape->dc, *path, outline))
        return;
    if (const auto fallback = painter->libwmf_.*libwmfDraw)
        fallback(api, shape);
}

void WmfShapePainter::clipTo(_wmfAPI* api, _wmfPolyRectangle_t* region) {
    WmfShapePainter* painter = shapePainter(api);
    if (!painter)
        return;
    if (region) {
        painter->clip_ = QPainterPath();
        painter->clipped_ = region->count > 0 && region->TL && region->BR;
        const QTransform toRaster = painter->toRaster();
        for (unsigned i = 0; painter->clipped_ && i < region->count; ++i)
            painter->clip_.addRect(toRaster.mapRect(rectOf(region->TL[i], region->BR[i])));
    }
    if (painter->libwmf_.clip)
        painter->libwmf_.clip(api, region);
}

QTransform WmfShapePainter::toRaster() const {
    QTransform transform;
    transform.scale(raster_.scale().x(), raster_.scale().y());
    transform.translate(-raster_.frame.left(), -raster_.frame.top());
    return transform;
}

bool WmfShapePainter::paint(_wmfAPI* api, const _wmfDC* dc, const QPainterPath& path,
                            Outline outline) const {
    if (!dc || !dc->brush || !dc->pen || !raster_.isValid() || dc->ROPmode != R2_COPYPEN)
        return false;
    const unsigned brushStyle = WMF_BRUSH_STYLE(dc->brush);
    const unsigned penStyle = WMF_PEN_STYLE(dc->pen);
    const bool closed = outline == Outline::Closed;
    const QImage hatch = brushStyle == BS_HATCHED ? hatchTile(WMF_BRUSH_HATCH(dc->brush),
                                                              colourOf(WMF_BRUSH_COLOR(dc->brush)),
                                                              raster_.supersampling)
                                                  : QImage();
    if (closed && brushStyle != BS_SOLID && brushStyle != BS_NULL && hatch.isNull())
        return false;
    const QList<qreal> dashes = dashesOf(penStyle);
    if (penStyle != PS_SOLID && penStyle != PS_NULL && penStyle != PS_INSIDEFRAME &&
        dashes.isEmpty())
        return false;
    const bool filled = closed && brushStyle != BS_NULL;
    const bool stroked = penStyle != PS_NULL;
    if (!filled && !stroked)
        return true;
    int* pixels = devicePixelsWhilePlaying(api);
    if (!pixels)
        return false;

    const QTransform onRaster = toRaster();
    QPainterPath shape = withFineCurves(onRaster.map(path), 1.0 / raster_.supersampling);
    shape.setFillRule(dc->polyfillmode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    const bool opaqueBackground = WMF_DC_OPAQUE(dc);
    const QColor background = colourOf(WMF_DC_BACKGROUND(dc));

    QPen pen(Qt::NoPen);
    if (stroked) {
        // A pen is never thinner than a pixel of the picture, and one about a
        // pixel wide is one (its width went through libwmf's rounding).
        double width = std::abs(WMF_PEN_WIDTH(dc->pen) * onRaster.m11());
        if (!(width >= 1.5 * raster_.supersampling))
            width = raster_.supersampling;
        if (!std::isfinite(width) || width > 4.0 * (raster_.size.width() + raster_.size.height()))
            return false;
        pen = QPen(colourOf(WMF_PEN_COLOR(dc->pen)), width);
        const unsigned cap = WMF_PEN_ENDCAP(dc->pen);
        pen.setCapStyle(cap == PS_ENDCAP_SQUARE ? Qt::SquareCap
                        : cap == PS_ENDCAP_FLAT ? Qt::FlatCap
                                                : Qt::RoundCap);
        const unsigned join = WMF_PEN_JOIN(dc->pen);
        pen.setJoinStyle(join == PS_JOIN_BEVEL   ? Qt::BevelJoin
                         : join == PS_JOIN_MITER ? Qt::MiterJoin
                                                 : Qt::RoundJoin);
        // Only a pen a pixel wide is dashed; wider ones draw solid. So is a
        // line far longer than the picture (a hostile file's millions of dashes).
        if (!dashes.isEmpty() && width == raster_.supersampling &&
            shape.length() < 64.0 * (raster_.size.width() + raster_.size.height())) {
            pen.setDashPattern(dashes);
            pen.setCapStyle(Qt::FlatCap);
        }
    }
    const double reach = stroked ? pen.widthF() / 2 + 2 : 2;
    const QRectF bounds = shape.boundingRect().adjusted(-reach, -reach, reach, reach);
    if (!std::isfinite(bounds.width()) || !std::isfinite(bounds.height()))
        return true;
    QRect area = bounds.toAlignedRect().intersected(QRect(QPoint(0, 0), raster_.size));
    if (clipped_)
        area = area.intersected(clip_.boundingRect().toAlignedRect());
    if (area.isEmpty())
        return true;
    // The raster's pixels are opaque colours with a transparency byte of
    // nought above them: painted on as they are, seen as an RGB32 image, and
    // that byte set back to nought where the painting set it. Should any be
    // transparent, libwmf draws the shape.
    const auto rowOf = [&](int y) {
        return pixels + std::size_t(y) * std::size_t(raster_.size.width());
    };
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const int* row = rowOf(y);
        for (int x = area.left(); x <= area.right(); ++x)
            if ((unsigned(row[x]) >> 24) != 0)
                return false;
    }
    QImage raster(reinterpret_cast<uchar*>(pixels), raster_.size.width(), raster_.size.height(),
                  qsizetype(raster_.size.width()) * 4, QImage::Format_RGB32);
    QPainter painter(&raster);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(area);
    if (clipped_)
        painter.setClipPath(clip_, Qt::IntersectClip);
    if (filled) {
        const QColor colour = colourOf(WMF_BRUSH_COLOR(dc->brush));
        if (!hatch.isNull()) {
            // The hatch in the picture's pixels, from the picture's corner;
            // between its lines the background, unless that is transparent.
            if (opaqueBackground)
                painter.fillPath(shape, background);
            painter.fillPath(shape, QBrush(hatch));
        } else {
            painter.fillPath(shape, colour);
        }
    }
    if (stroked) {
        const QPainterPath line = pen.widthF() == raster_.supersampling
                                      ? onPixelCentres(shape, raster_.supersampling)
                                      : shape;
        if (pen.style() != Qt::SolidLine && opaqueBackground) {
            QPen gaps = pen;
            gaps.setStyle(Qt::SolidLine);
            gaps.setColor(background);
            painter.strokePath(line, gaps);
        }
        painter.strokePath(line, pen);
    }
    painter.end();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        int* row = rowOf(y);
        for (int x = area.left(); x <= area.right(); ++x)
            row[x] = int(unsigned(row[x]) & 0x00ffffffu);
    }
    return true;
}

} // namespace graphics
