#pragma once

// Drawing checked metafiles into images through the libraries that know them:
// libwmf for WMF, libemf2svg (to SVG, drawn by Qt SVG) for EMF. Both draw on
// white, at the natural size clamped to MaxRenderedSide. The libraries run in
// a child process (see IsolatedRun.h): a file that crashes or hangs them is
// refused like any other bad file.

#include "graphics/MetafileRecords.h"

#include <QByteArray>
#include <QImage>
#include <chrono>

namespace graphics {

// Both raise EInvalidGraphic when the library fails, the size is absurd or the
// drawing takes longer than `timeLimit`. `bytes` must have passed checkWmf() /
// checkEmf(), which gave `layout`.
[[nodiscard]] QImage renderWmf(const QByteArray& bytes, const WmfLayout& layout,
                               std::chrono::milliseconds timeLimit);
[[nodiscard]] QImage renderEmf(const QByteArray& bytes, const EmfLayout& layout,
                               std::chrono::milliseconds timeLimit);

} // namespace graphics
