#pragma once

// Keeps the text alignment across SaveDC / RestoreDC for libwmf. Windows
// brings back the alignment in force when the state was saved; libwmf can
// come back from a RestoreDC with its default (top left), and text set on
// the baseline, as drawings usually set it once at the start, then comes out
// a line lower. Played with the alignment stated again after each RestoreDC,
// libwmf keeps the right one.

#include <QByteArray>

namespace graphics {

// `bytes` must have passed checkWmf(); `headerAt` is where the WMF header
// starts (after a placeable header). Drawings that never set an alignment
// come back unchanged.
[[nodiscard]] QByteArray withTextAlignmentRestored(const QByteArray& bytes, qint64 headerAt);

} // namespace graphics
