#pragma once

// Drawing checked metafiles into images through the libraries that know them:
// libwmf for WMF, libemf2svg (to SVG, drawn by Qt SVG) for EMF. Both draw on
// white, at the natural size clamped to MaxRenderedSide.

#include "graphics/MetafileRecords.h"

#include <QByteArray>
#include <QImage>

namespace graphics {

// Both raise EInvalidGraphic when the library fails or the size is absurd.
// `bytes` must have passed checkWmf() / checkEmf(), which gave `layout`.
[[nodiscard]] QImage renderWmf(const QByteArray& bytes, const WmfLayout& layout);
[[nodiscard]] QImage renderEmf(const QByteArray& bytes, const EmfLayout& layout);

} // namespace graphics
