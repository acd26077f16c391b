#include "PictureDiff.h"

#include <QPainter>
#include <cmath>
#include <cstdlib>
#include <limits>

QImage overWhite(const QImage& image) {
    QImage out(image.size(), QImage::Format_ARGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(0, 0, image);
    painter.end();
    return out;
}

PictureDiff comparePictures(const QImage& decoded, const QImage& reference) {
    const QImage a = overWhite(decoded);
    const QImage b = overWhite(reference);
    PictureDiff diff;
    double squares = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int d[3] = {std::abs(qRed(rowA[x]) - qRed(rowB[x])),
                              std::abs(qGreen(rowA[x]) - qGreen(rowB[x])),
                              std::abs(qBlue(rowA[x]) - qBlue(rowB[x]))};
            for (int channel : d) {
                squares += double(channel) * channel;
                if (channel > diff.maxDiff) {
                    diff.maxDiff = channel;
                    diff.worstPixel = {x, y};
                }
            }
        }
    }
    const double samples = 3.0 * a.width() * a.height();
    const double mse = samples > 0 ? squares / samples : 0;
    diff.psnr =
        mse == 0 ? std::numeric_limits<double>::infinity() : 10.0 * std::log10(255.0 * 255.0 / mse);
    return diff;
}
