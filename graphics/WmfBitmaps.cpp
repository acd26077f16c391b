#include "graphics/WmfBitmaps.h"

#include "graphics/WmfRasterDevice.h"

#include <algorithm>
#include <cmath>
#include <libwmf/ipa.h>

namespace graphics {
namespace {

constexpr unsigned SrcCopy = 0x00CC0020;

} // namespace

void WmfBitmapPainter::takeBitmapsOf(_wmfAPI* api) {
    auto* functions = static_cast<wmfFunctionReference*>(api->function_reference);
    libwmfDraw_ = functions->bmp_draw;
    functions->bmp_draw = drawBitmap;
}

void WmfBitmapPainter::drawBitmap(_wmfAPI* api, _wmfBMP_Draw_t* bitmap) {
    WmfPainters* painters = wmfPainters(api);
    const WmfBitmapPainter* painter = painters ? painters->bitmaps : nullptr;
    if (!painter || !bitmap)
        return;
    int* pixels = devicePixelsWhilePlaying(api);
    if (bitmap->type == SrcCopy && pixels && painter->copy(api, *bitmap, pixels))
        return;
    if (painter->libwmfDraw_)
        painter->libwmfDraw_(api, bitmap);
}

bool WmfBitmapPainter::copy(_wmfAPI* api, const _wmfBMP_Draw_t& bitmap, int* pixels) const {
    // Only whole bitmaps: how libwmf counts a part's rows is its own affair.
    if (!raster_.isValid() || !bitmap.bmp.data || bitmap.crop.x != 0 || bitmap.crop.y != 0 ||
        bitmap.crop.w == 0 || bitmap.crop.h == 0 || bitmap.crop.w != bitmap.bmp.width ||
        bitmap.crop.h != bitmap.bmp.height)
        return false;
    const QPointF scale = raster_.scale();
    const QPointF at = raster_.onRaster(QPointF(bitmap.pt.x, bitmap.pt.y));
    const double x0 = at.x();
    const double y0 = at.y();
    const double x1 = x0 + bitmap.crop.w * bitmap.pixel_width * scale.x();
    const double y1 = y0 + bitmap.crop.h * bitmap.pixel_height * scale.y();
    if (!std::isfinite(x1) || !std::isfinite(y1))
        return false;
    // The edges on whole pixels of the picture: whole steps of the supersampling.
    const auto snap = [&](double v) {
        return std::clamp(std::round(v / raster_.supersampling) * raster_.supersampling, -1e7, 1e7);
    };
    const double left = snap(std::min(x0, x1));
    const double right = snap(std::max(x0, x1));
    const double top = snap(std::min(y0, y1));
    const double bottom = snap(std::max(y0, y1));
    if (!(right > left && bottom > top))
        return true;
    const bool mirroredX = x1 < x0;
    const bool mirroredY = y1 < y0;
    const int fromX = int(std::max(left, 0.0));
    const int toX = int(std::min(right, double(raster_.size.width())));
    const int fromY = int(std::max(top, 0.0));
    const int toY = int(std::min(bottom, double(raster_.size.height())));
    wmfBMP bmp = bitmap.bmp;
    for (int y = fromY; y < toY; ++y) {
        const double v = (y + 0.5 - top) / (bottom - top);
        // The bitmap's rows run from its bottom up.
        const int row =
            std::clamp(int((mirroredY ? v : 1 - v) * bitmap.crop.h), 0, bitmap.crop.h - 1);
        for (int x = fromX; x < toX; ++x) {
            const double u = (x + 0.5 - left) / (right - left);
            const int column =
                std::clamp(int((mirroredX ? 1 - u : u) * bitmap.crop.w), 0, bitmap.crop.w - 1);
            wmfRGB rgb{};
            if (wmf_ipa_bmp_color(api, &bmp, &rgb, unsigned(column), unsigned(row)) < 0)
                continue;
            pixels[std::size_t(y) * std::size_t(raster_.size.width()) + std::size_t(x)] =
                toDevice({rgb.r, rgb.g, rgb.b, 255});
        }
    }
    return true;
}

} // namespace graphics
