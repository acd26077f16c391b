#pragma once

// Photo-like test pictures for the benchmarks: soft light, blurred shapes and
// sensor noise, different for every seed, saved as 24-bit BMP (the format the
// program reads without plug-ins) or as JPEG. Generating is slow, so a folder of them is
// kept and reused between runs.

#include <QImage>
#include <QStringList>
#include <ostream>

namespace bench {

[[nodiscard]] QImage makePhoto(QSize size, quint32 seed);

// Makes sure `folder` holds the pictures photo-0000.bmp … for `count` pictures
// of `size`, writing those that are missing (each written whole or not at all).
// `format` is a format Qt writes ("BMP", "JPG"); its lower case is the extension.
// Returns their paths in name order; empty when one could not be written.
[[nodiscard]] QStringList ensurePhotoFolder(const QString& folder, int count, QSize size,
                                            std::ostream& progress, const char* format = "BMP");

} // namespace bench
