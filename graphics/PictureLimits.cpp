#include "graphics/PictureLimits.h"

#include <algorithm>
#include <cmath>

namespace graphics {

bool pixelCountAllowed(qint64 width, qint64 height) {
    if (width <= 0 || height <= 0)
        return false;
    // Each side alone is below 2^31, so the product cannot overflow 64 bits.
    if (width > MaxPixelCount || height > MaxPixelCount)
        return false;
    return width * height <= MaxPixelCount;
}

QSize clampRenderedSize(double width, double height, int maxSide) {
    if (!std::isfinite(width) || !std::isfinite(height) || width <= 0.0 || height <= 0.0)
        return {};
    if (width > double(MaxNaturalMetafileSide) || height > double(MaxNaturalMetafileSide))
        return {};
    if (maxSide < 1)
        return {};
    const double scale = renderedScale(width, height, maxSide);
    const int w = std::clamp(int(std::lround(width * scale)), 1, maxSide);
    const int h = std::clamp(int(std::lround(height * scale)), 1, maxSide);
    return {w, h};
}

double renderedScale(double width, double height, int maxSide) {
    return std::min(1.0, double(maxSide) / std::max(width, height));
}

} // namespace graphics
