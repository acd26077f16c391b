#pragma once

// Comparing a decoded picture with its reference: both are laid over white
// (so transparency counts as it shows) and compared channel by channel.

#include <QImage>
#include <QString>

struct PictureDiff {
    int maxDiff = 0;   // largest difference of any channel of any pixel
    double psnr = 0;   // dB; infinite when identical
    QPoint worstPixel; // where maxDiff was found
};

// The picture as ARGB32 laid over white.
[[nodiscard]] QImage overWhite(const QImage& image);

// Differences of two pictures of the same size (both laid over white first).
[[nodiscard]] PictureDiff comparePictures(const QImage& decoded, const QImage& reference);
