#include "components/perfgrap/PerfgrapMath.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Perfgrap {

namespace {
// Far below and above any real image, yet small enough that sums of a few
// heights and coordinates cannot overflow an int.
constexpr double pixelLimit = 1 << 24;

qint32 clampToInt32(qint64 value) {
    return static_cast<qint32>(std::clamp<qint64>(value, std::numeric_limits<qint32>::min(),
                                                  std::numeric_limits<qint32>::max()));
}
} // namespace

qint32 RoundUp(qint32 value, qint32 gradient) {
    if (gradient == 0)
        return value;
    // 64-bit so that INT_MIN div -1 and the step past the largest multiple are exact.
    const qint64 v = value;
    const qint64 g = gradient;
    if (v % g == 0)
        return value;
    return clampToInt32((v / g + 1) * g);
}

int ScaledHeight(qint64 value, qint32 scale, int imageHeight) {
    if (scale <= 0 || value <= 0 || imageHeight <= 0)
        return 0;
    const double pixels = static_cast<double>(value) / scale * imageHeight;
    return static_cast<int>(std::trunc(std::min(pixels, pixelLimit)));
}

int BandCount(int width, int stepSize) {
    if (width <= 0)
        return 0;
    return width / std::max(stepSize, 1);
}

int HistoryCapacity(int width, int stepSize) {
    return BandCount(width, stepSize) + 2;
}

qint64 FloorMod(qint64 value, qint64 divisor) {
    const qint64 rest = value % divisor;
    return rest < 0 ? rest + divisor : rest;
}

} // namespace Perfgrap
