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

#include <QPainterPath>
#include <QRectF>
#include <QSize>

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
    // `frame` is the part of libwmf's device space that fills its raster of
    // `size` pixels, `supersampling` times the picture's own size.
    WmfShapePainter(QRectF frame, QSize size, int supersampling)
        : frame_(frame), size_(size), supersampling_(supersampling) {}

    // Takes libwmf's drawing of shapes on `api` (its raster device) over,
    // and follows its clipping; the painter, set in the API's WmfPainters,
    // must outlive the playing.
    void takeShapesOf(_wmfAPI* api);

private:
    // libwmf's own drawing, for what is left to it.
    struct Libwmf {
        void (*polygon)(_wmfAPI*, _wmfPolyLine_t*) = nullptr;
        void (*polyPolygon)(_wmfAPI*, _wmfPolyPoly_t*) = nullptr;
        void (*polyline)(_wmfAPI*, _wmfPolyLine_t*) = nullptr;
        void (*line)(_wmfAPI*, _wmfDrawLine_t*) = nullptr;
        void (*rectangle)(_wmfAPI*, _wmfDrawRectangle_t*) = nullptr;
        void (*ellipse)(_wmfAPI*, _wmfDrawArc_t*) = nullptr;
        void (*arc)(_wmfAPI*, _wmfDrawArc_t*) = nullptr;
        void (*pie)(_wmfAPI*, _wmfDrawArc_t*) = nullptr;
        void (*chord)(_wmfAPI*, _wmfDrawArc_t*) = nullptr;
        void (*clip)(_wmfAPI*, _wmfPolyRectangle_t*) = nullptr;
    };
    enum class Outline { Closed, Open };

    static void drawPolygon(_wmfAPI* api, _wmfPolyLine_t* polygon);
    static void drawPolyPolygon(_wmfAPI* api, _wmfPolyPoly_t* polygons);
    static void drawPolyline(_wmfAPI* api, _wmfPolyLine_t* line);
    static void drawLine(_wmfAPI* api, _wmfDrawLine_t* line);
    static void drawRectangle(_wmfAPI* api, _wmfDrawRectangle_t* rectangle);
    static void drawEllipse(_wmfAPI* api, _wmfDrawArc_t* ellipse);
    static void drawArc(_wmfAPI* api, _wmfDrawArc_t* arc);
    static void drawPie(_wmfAPI* api, _wmfDrawArc_t* pie);
    static void drawChord(_wmfAPI* api, _wmfDrawArc_t* chord);
    static void clipTo(_wmfAPI* api, _wmfPolyRectangle_t* region);
    // Paints `path` (in libwmf's device space) as the device context says:
    // filled when closed, outlined by the pen; false when libwmf must draw it.
    [[nodiscard]] bool paint(_wmfAPI* api, const _wmfDC* dc, const QPainterPath& path,
                             Outline outline) const;

    QRectF frame_;
    QSize size_;
    int supersampling_;
    // The clip region in force, in raster pixels; empty when none is.
    QPainterPath clip_;
    bool clipped_ = false;
    Libwmf libwmf_;
};

} // namespace graphics
