#pragma once

// Limits that keep hostile or absurd picture files from exhausting memory or
// time. Every decoder checks them before it allocates.

#include <QSize>
#include <QtGlobal>

namespace graphics {

// Largest picture we decode: 256 megapixels (1 GiB at 32 bits a pixel).
inline constexpr qint64 MaxPixelCount = qint64(256) * 1024 * 1024;
// Longest side a metafile is rendered at; larger drawings are scaled down.
inline constexpr int MaxRenderedSide = 4096;
// A metafile whose natural size exceeds this on a side is taken as corrupt.
inline constexpr qint64 MaxNaturalMetafileSide = 1'000'000;
// Files that are read whole into memory (icons, metafiles) may not be larger.
inline constexpr qint64 MaxWholeFileBytes = qint64(64) * 1024 * 1024;
// Screen resolution metafiles are measured at, as on the desktop they come from.
inline constexpr double ScreenDpi = 96.0;

// True when a width × height picture may be decoded (both positive, within MaxPixelCount).
[[nodiscard]] bool pixelCountAllowed(qint64 width, qint64 height);

// The size to render a drawing of the given natural size at: the same aspect,
// the long side at most `maxSide`, each side at least 1. Empty when the natural
// size is not positive, not finite or larger than MaxNaturalMetafileSide.
[[nodiscard]] QSize clampRenderedSize(double width, double height, int maxSide = MaxRenderedSide);
// The scale clampRenderedSize() shrinks a drawing of that natural size by
// (1 when it fits), before rounding to whole pixels.
[[nodiscard]] double renderedScale(double width, double height, int maxSide = MaxRenderedSide);

} // namespace graphics
