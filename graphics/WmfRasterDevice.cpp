#include "graphics/WmfRasterDevice.h"

#include <algorithm>
#include <cstddef>

namespace graphics {

void blendOntoDevice(const QImage& layer, QPoint origin, int scale, int* pixels, QSize size) {
    for (int y = 0; y < layer.height() * scale; ++y) {
        const int py = origin.y() + y;
        if (py < 0 || py >= size.height())
            continue;
        const auto* line = reinterpret_cast<const QRgb*>(layer.constScanLine(y / scale));
        for (int x = 0; x < layer.width() * scale; ++x) {
            const int px = origin.x() + x;
            const QRgb layerPixel = line[x / scale];
            const int a = qAlpha(layerPixel);
            if (px < 0 || px >= size.width() || a == 0)
                continue;
            int& target = pixels[std::size_t(py) * size.width() + px];
            const RgbPixel d = fromDevice(target);
            const int keep = 255 - a;
            // Destination colour is not premultiplied: weigh it by its alpha.
            const int outA = a + d.a * keep / 255;
            const auto mix = [&](int src, int dst) {
                return outA == 0 ? 0
                                 : std::clamp((src * 255 + dst * d.a * keep / 255) / outA, 0, 255);
            };
            target = toDevice({mix(qRed(layerPixel), d.r), mix(qGreen(layerPixel), d.g),
                               mix(qBlue(layerPixel), d.b), outA});
        }
    }
}

} // namespace graphics
