#pragma once

// Drawing checked metafiles into images through the libraries that know them:
// libwmf for WMF, libemf2svg (to SVG, drawn by Qt SVG) for EMF. Both draw on
// white, at the natural size clamped to MaxRenderedSide. They run in the
// calling process: pictures are drawn for the window in decoder processes,
// which are what keeps a library's crash away from the program.

#include "graphics/MetafileRecords.h"

#include <QByteArray>
#include <QImage>
#include <chrono>

namespace graphics {

// Both raise EInvalidGraphic when the library fails or the size is absurd;
// renderWmf() also when the drawing takes longer than `timeLimit` (libwmf can
// be stopped between records; the EMF converter cannot). `bytes` must have
// passed checkWmf() / checkEmf(), which gave `layout`.
[[nodiscard]] QImage renderWmf(const QByteArray& bytes, const WmfLayout& layout,
                               std::chrono::milliseconds timeLimit);
[[nodiscard]] QImage renderEmf(const QByteArray& bytes, const EmfLayout& layout);

} // namespace graphics
