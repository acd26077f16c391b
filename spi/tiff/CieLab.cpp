#include "spi/tiff/CieLab.h"

#include <algorithm>
#include <cmath>

namespace tiffspi {
namespace {

// D50 white in XYZ.
constexpr double WhiteX = 0.9642;
constexpr double WhiteY = 1.0;
constexpr double WhiteZ = 0.8249;

constexpr double Epsilon = 216.0 / 24389.0;
constexpr double Kappa = 24389.0 / 27.0;

double inverseF(double t) {
    const double cube = t * t * t;
    return cube > Epsilon ? cube : (116.0 * t - 16.0) / Kappa;
}

double encodeSrgb(double linear) {
    linear = std::clamp(linear, 0.0, 1.0);
    const double v =
        linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
    return std::clamp(v * 255.0 + 0.5, 0.0, 255.0);
}

} // namespace

std::array<std::uint8_t, 3> labToSrgb(double l, double a, double b) {
    const double fy = (l + 16.0) / 116.0;
    const double fx = fy + a / 500.0;
    const double fz = fy - b / 200.0;
    const double yr = l > Kappa * Epsilon ? fy * fy * fy : l / Kappa;
    const double x = WhiteX * inverseF(fx);
    const double y = WhiteY * yr;
    const double z = WhiteZ * inverseF(fz);
    // XYZ (D50) to linear sRGB: the Bradford-adapted matrix, so the D50 white
    // comes out as sRGB white.
    const double red = 3.1338561 * x - 1.6168667 * y - 0.4906146 * z;
    const double green = -0.9787684 * x + 1.9161415 * y + 0.0334540 * z;
    const double blue = 0.0719453 * x - 0.2289914 * y + 1.4052427 * z;
    return {std::uint8_t(encodeSrgb(red)), std::uint8_t(encodeSrgb(green)),
            std::uint8_t(encodeSrgb(blue))};
}

} // namespace tiffspi
