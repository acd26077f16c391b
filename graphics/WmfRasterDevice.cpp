#include "graphics/WmfRasterDevice.h"

#include <algorithm>
#include <cstddef>

namespace graphics {
namespace {

// One device pixel under the layer's premultiplied `source`.
void blendPixel(int& target, QRgb source) {
    const int a = qAlpha(source);
    if (a == 0)
        return;
    if (a == 255) {
        target = toDevice({qRed(source), qGreen(source), qBlue(source), 255});
        return;
    }
    const RgbPixel d = fromDevice(target);
    const int keep = 255 - a;
    // Destination colour is not premultiplied: weigh it by its alpha.
    const int outA = a + d.a * keep / 255;
    const auto mix = [&](int src, int dst) {
        return outA == 0 ? 0 : std::clamp((src * 255 + dst * d.a * keep / 255) / outA, 0, 255);
    };
    target =
        toDevice({mix(qRed(source), d.r), mix(qGreen(source), d.g), mix(qBlue(source), d.b), outA});
}

} // namespace

void blendOntoDevice(const QImage& layer, QPoint origin, int scale, int* pixels, QSize size) {
    if (scale < 1 || layer.isNull())
        return;
    const int fromY = std::max(0, origin.y());
    const int toY = std::min(size.height(), origin.y() + layer.height() * scale);
    const int fromX = std::max(0, origin.x());
    const int toX = std::min(size.width(), origin.x() + layer.width() * scale);
    for (int y = fromY; y < toY; ++y) {
        const auto* line =
            reinterpret_cast<const QRgb*>(layer.constScanLine((y - origin.y()) / scale));
        int* row = pixels + std::size_t(y) * std::size_t(size.width());
        if (scale == 1) {
            for (int x = fromX; x < toX; ++x)
                blendPixel(row[x], line[x - origin.x()]);
        } else {
            for (int x = fromX; x < toX; ++x)
                blendPixel(row[x], line[(x - origin.x()) / scale]);
        }
    }
}

} // namespace graphics
