#pragma once

// The EMF that some WMF files carry beside their own records, split over
// escape records (META_ESCAPE_ENHANCED_METAFILE): writers that draw in EMF
// keep the original there so the drawing can be read back without the losses
// of the WMF records (text, gradients and fine coordinates). Such a file is
// shown from that copy, as Windows' own conversion back to EMF reads it.

#include <QByteArray>
#include <QByteArrayView>

namespace graphics {

// The embedded EMF of `bytes`, which must have passed checkWmf(); `headerAt`
// is where the WMF header starts. Empty when the file carries none, or when
// its pieces do not add up (the WMF records are drawn then).
[[nodiscard]] QByteArray embeddedEmf(QByteArrayView bytes, qint64 headerAt);

} // namespace graphics
