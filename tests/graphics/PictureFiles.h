#pragma once

// Real picture files for the tests, encoded by Qt's own writers or, where a
// layout must be exact, assembled here.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>

// `image` encoded by Qt's writer for `format` ("bmp", "ico", "png", "ppm").
QByteArray encoded(const QImage& image, const char* format);
// A w × h image whose left half is `left` and right half `right`.
QImage halves(int width, int height, QColor left, QColor right,
              QImage::Format format = QImage::Format_ARGB32);
// An icon file holding `images` in order: DIB entries by Qt's writer, or PNG
// entries when `png` is set.
QByteArray iconFile(const QList<QImage>& images, bool png = false);
