#pragma once

// Bitmaps of WMF drawings copied onto libwmf's raster device by us, on whole
// pixels of the picture. libwmf plays a drawing at a few times its size (see
// WmfRendering.cpp) and puts a bitmap where its device coordinates fall, a
// fraction of a pixel off the picture's grid: scaled down, a photograph
// drawn at its own size comes out blurred, and its edges half-covered.
// Windows puts a bitmap's edges on whole pixels; copied so, each of its
// pixels fills whole pixels of the raster and comes through the scaling as
// it is.

#include "graphics/WmfRaster.h"

#include <QRectF>
#include <QSize>

struct _wmfAPI;
struct _wmfBMP_Draw_t;

namespace graphics {

class WmfBitmapPainter {
public:
    explicit WmfBitmapPainter(const WmfRaster& raster) : raster_(raster) {}

    // Takes libwmf's copying of plain bitmaps on `api` (its raster device)
    // over; the painter, set in the API's WmfPainters, must outlive the
    // playing. Bitmaps drawn with other raster operations stay libwmf's.
    void takeBitmapsOf(_wmfAPI* api);

private:
    static void drawBitmap(_wmfAPI* api, _wmfBMP_Draw_t* bitmap);
    [[nodiscard]] bool copy(_wmfAPI* api, const _wmfBMP_Draw_t& bitmap, int* pixels) const;

    WmfRaster raster_;
    void (*libwmfDraw_)(_wmfAPI*, _wmfBMP_Draw_t*) = nullptr;
};

} // namespace graphics
