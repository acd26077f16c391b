#pragma once

// How a checked WMF is handed to libwmf so that the picture shows what its
// placeable header frames. A placeable file is played as Windows plays one:
// with the anisotropic mapping, the placeable box as the window until the
// drawing sets its own, and that window filling the whole picture. The
// viewport is ours, so the frame libwmf must draw is known without asking it.

#include "graphics/MetafileRecords.h"

#include <QByteArray>
#include <QRectF>
#include <QSize>

namespace graphics {

struct WmfPlayback {
    // The records to play, behind the mapping preamble where one applies.
    QByteArray bytes;
    // The part of libwmf's device space that becomes the picture; empty when
    // the drawing chose another mapping itself, and then all it draws shows.
    QRectF frame;
};

// `bytes` must have passed checkWmf(), which gave `layout`; `size` is the
// picture's size in pixels.
[[nodiscard]] WmfPlayback wmfPlayback(const QByteArray& bytes, const WmfLayout& layout, QSize size);

} // namespace graphics
