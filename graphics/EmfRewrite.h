#pragma once

// The end of every pass that rewrites an EMF's records before it is drawn.

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <optional>

namespace graphics {

// One record of an EMF: its type and all its bytes, the type and size first.
struct EmfRecord {
    std::uint32_t type = 0;
    QByteArrayView bytes;
};

// The record at `at` of `file`; nothing where its size is below the record's
// own eight bytes or runs past the file, which a rewriting pass leaves alone.
[[nodiscard]] std::optional<EmfRecord> emfRecordAt(QByteArrayView file, qint64 at);

// Writes `value` at `at` of `bytes`, little-endian; the caller has checked room.
void putU32(QByteArray& bytes, qint64 at, std::uint32_t value);

// The records a pass wrote (`rewritten`), then the rest of `original` from `at`
// as it was, with the header's byte and record counts made to match:
// `recordChange` records were added (removed when negative).
[[nodiscard]] QByteArray finishedEmf(QByteArray rewritten, QByteArrayView original, qint64 at,
                                     qint64 recordChange);

} // namespace graphics
