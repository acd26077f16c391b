#pragma once

// The end of every pass that rewrites an EMF's records before it is drawn.

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace graphics {

// Writes `value` at `at` of `bytes`, little-endian; the caller has checked room.
void putU32(QByteArray& bytes, qint64 at, std::uint32_t value);

// The records a pass wrote (`rewritten`), then the rest of `original` from `at`
// as it was, with the header's byte and record counts made to match:
// `recordChange` records were added (removed when negative).
[[nodiscard]] QByteArray finishedEmf(QByteArray rewritten, QByteArrayView original, qint64 at,
                                     qint64 recordChange);

} // namespace graphics
