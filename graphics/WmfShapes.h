#pragma once

// Filled shapes of WMF drawings painted by us, anti-aliased, onto libwmf's
// raster device. libwmf fills a polygon without anti-aliasing and takes in
// both ends of every span: played at a few times the picture's size and
// scaled down, edges come out near enough, but the thin polygons many
// programs write for outlines (a line turned into its own area) grow by a
// fraction of a pixel and darken. Only polygons filled with a solid brush,
// no pen and the plain copy raster operation are taken over; libwmf draws
// everything else.

#include <QList>
#include <QPainterPath>
#include <QRectF>
#include <QSize>

struct _wmfAPI;
struct _wmfDC;
struct _wmfPolyLine_t;
struct _wmfPolyPoly_t;
struct _wmfPolyRectangle_t;

namespace graphics {

class WmfShapePainter {
public:
    // `frame` is the part of libwmf's device space that fills its raster of
    // `size` pixels.
    WmfShapePainter(QRectF frame, QSize size) : frame_(frame), size_(size) {}

    // Takes libwmf's filling of polygons on `api` (its raster device) over,
    // and follows its clipping; the painter, set in the API's WmfPainters,
    // must outlive the playing.
    void takeShapesOf(_wmfAPI* api);

private:
    static void drawPolygon(_wmfAPI* api, _wmfPolyLine_t* polygon);
    static void drawPolyPolygon(_wmfAPI* api, _wmfPolyPoly_t* polygons);
    static void clipTo(_wmfAPI* api, _wmfPolyRectangle_t* region);
    // Fills `path` (in libwmf's device space) as the device context says;
    // false when libwmf must draw it.
    [[nodiscard]] bool fill(_wmfAPI* api, const _wmfDC* dc, QPainterPath path) const;

    QRectF frame_;
    QSize size_;
    // The clip region in force, in raster pixels; empty when none is.
    QPainterPath clip_;
    bool clipped_ = false;
    void (*libwmfPolygon_)(_wmfAPI*, _wmfPolyLine_t*) = nullptr;
    void (*libwmfPolyPolygon_)(_wmfAPI*, _wmfPolyPoly_t*) = nullptr;
    void (*libwmfClip_)(_wmfAPI*, _wmfPolyRectangle_t*) = nullptr;
};

} // namespace graphics
