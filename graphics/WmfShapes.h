#pragma once

// Shapes of WMF drawings painted by us, anti-aliased, onto libwmf's raster
// device, as Windows draws them. libwmf fills without anti-aliasing and
// takes in both ends of every span, ends every line square and joins it
// mitred whatever the pen says, draws a rounded rectangle square, and a
// pen of no width (one pixel, whatever the scale) as one pixel of its
// supersampled raster, a quarter of one once scaled down. Shapes filled
// with a solid or hatched brush or none and outlined with a solid or dashed
// pen or none, in the plain copy raster operation, are taken over; libwmf
// draws the rest (pattern brushes, other raster operations).

#include "graphics/WmfRaster.h"

#include <QPainterPath>
#include <QRectF>
#include <QSize>
#include <QTransform>
#include <optional>

struct _wmfAPI;
struct _wmfDC;
struct _wmfDrawArc_t;
struct _wmfDrawLine_t;
struct _wmfDrawRectangle_t;
struct _wmfPolyLine_t;
struct _wmfPolyPoly_t;
struct _wmfPolyRectangle_t;

namespace graphics {

class WmfShapePainter {
public:
    explicit WmfShapePainter(const WmfRaster& raster) : raster_(raster) {}

    // Takes libwmf's drawing of shapes on `playing` (its raster device) over,
    // and follows its clipping; the painter, set in the API's WmfPainters,
    // must outlive the playing.
    void takeShapesOf(_wmfAPI* playing);

private:
    template <typename Shape> using LibwmfDraw = void (*)(_wmfAPI*, Shape*);
    // libwmf's own drawing, for what is left to it.
    struct Libwmf {
        LibwmfDraw<_wmfPolyLine_t> polygon = nullptr;
        LibwmfDraw<_wmfPolyPoly_t> polyPolygon = nullptr;
        LibwmfDraw<_wmfPolyLine_t> polyline = nullptr;
        LibwmfDraw<_wmfDrawLine_t> line = nullptr;
        LibwmfDraw<_wmfDrawRectangle_t> rectangle = nullptr;
        LibwmfDraw<_wmfDrawArc_t> ellipse = nullptr;
        LibwmfDraw<_wmfDrawArc_t> arc = nullptr;
        LibwmfDraw<_wmfDrawArc_t> pie = nullptr;
        LibwmfDraw<_wmfDrawArc_t> chord = nullptr;
        LibwmfDraw<_wmfPolyRectangle_t> clip = nullptr;
    };
    enum class Outline { Closed, Open };

    // Draws `shape` along the outline `pathOf` gives, or has libwmf draw it.
    template <typename Shape>
    static void draw(_wmfAPI* api, Shape* shape, LibwmfDraw<Shape> Libwmf::*libwmfDraw,
                     Outline outline, std::optional<QPainterPath> (*pathOf)(const Shape&));
    static void clipTo(_wmfAPI* api, _wmfPolyRectangle_t* region);
    // libwmf's device space onto the raster's pixels.
    [[nodiscard]] QTransform toRaster() const;
    // Paints `path` (in libwmf's device space) as the device context says:
    // filled when closed, outlined by the pen; false when libwmf must draw it.
    [[nodiscard]] bool paint(_wmfAPI* api, const _wmfDC* dc, const QPainterPath& path,
                             Outline outline) const;

    WmfRaster raster_;
    // The clip region in force, in raster pixels; empty when none is.
    QPainterPath clip_;
    bool clipped_ = false;
    Libwmf libwmf_;
};

} // namespace graphics
