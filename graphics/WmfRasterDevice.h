#pragma once

// libwmf's raster device as our own drawing sees it while a play goes on:
// its pixels, their colour format, and the painters that stand in for some
// of its drawing (set as the API's user data).

#include <QImage>
#include <QPoint>
#include <QSize>
#include <libwmf/api.h>
#include <libwmf/gd.h>

namespace graphics {

class WmfTextPainter;
class WmfBitmapPainter;
class WmfShapePainter;

struct WmfPainters {
    WmfTextPainter* text = nullptr;
    WmfBitmapPainter* bitmaps = nullptr;
    WmfShapePainter* shapes = nullptr;
};

struct RgbPixel {
    int r, g, b, a;
};

// The raster device keeps 7 bits of transparency above 24 bits of colour.
[[nodiscard]] inline RgbPixel fromDevice(int p) {
    const auto u = unsigned(p);
    const int transparency = int((u >> 24) & 0x7f);
    return {int((u >> 16) & 0xff), int((u >> 8) & 0xff), int(u & 0xff),
            255 - (transparency * 255 + 63) / 127};
}

[[nodiscard]] inline int toDevice(RgbPixel c) {
    const int transparency = ((255 - c.a) * 127 + 127) / 255;
    return int((unsigned(transparency) << 24) | (unsigned(c.r) << 16) | (unsigned(c.g) << 8) |
               unsigned(c.b));
}

// The raster device's pixels part-way through a play. Its public gd_image is
// only set once the play has ended; until then the picture is the first member
// of the device's own data, as it has been in every libwmf 0.2 release.
[[nodiscard]] inline int* devicePixelsWhilePlaying(wmfAPI* api) {
    const wmf_gd_t* device = WMF_GD_GetData(api);
    if (!device || !device->gd_data)
        return nullptr;
    void* image = *static_cast<void* const*>(device->gd_data);
    return image ? wmf_gd_image_pixels(image) : nullptr;
}

// Lays premultiplied `layer`, whose top left is at `origin` on the device of
// `size` pixels and each of whose pixels covers `scale` × `scale` of the
// device's, over them.
void blendOntoDevice(const QImage& layer, QPoint origin, int scale, int* pixels, QSize size);

// The painters set on `api`, if any.
[[nodiscard]] inline WmfPainters* wmfPainters(wmfAPI* api) {
    return static_cast<WmfPainters*>(api->user_data);
}

} // namespace graphics
