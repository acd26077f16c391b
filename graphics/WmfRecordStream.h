#pragma once

// Walking a WMF's records for the passes that rewrite a file before libwmf
// plays it: the header's size, each record's frame checked against the bytes
// there are, and the header's file length written back after a rewrite.

#include "graphics/LittleEndian.h"

#include <QByteArray>
#include <algorithm>
#include <cstdint>
#include <optional>

namespace graphics {

inline constexpr qint64 WmfHeaderBytes = 18;

struct WmfRecordFrame {
    qint64 bytes = 0; // the whole record
    std::uint16_t function = 0;
};

// The record at `at`, when it has a size of at least three words and lies
// wholly inside `bytes`.
[[nodiscard]] inline std::optional<WmfRecordFrame> wmfRecordAt(QByteArrayView bytes, qint64 at) {
    const auto words = readU32(bytes, at);
    const auto function = readU16(bytes, at + 4);
    if (!words || !function || *words < 3 || qint64(*words) * 2 > bytes.size() - at)
        return std::nullopt;
    return WmfRecordFrame{qint64(*words) * 2, *function};
}

// Calls `visit(at, frame)` for each record from the header's end through the
// end-of-file record; false when one does not lie wholly inside `bytes` (a
// file that has not passed checkWmf()).
template <typename Visit>
bool forEachWmfRecord(QByteArrayView bytes, qint64 headerAt, Visit&& visit) {
    for (qint64 at = headerAt + WmfHeaderBytes;;) {
        const auto frame = wmfRecordAt(bytes, at);
        if (!frame)
            return false;
        visit(at, *frame);
        at += frame->bytes;
        if (frame->function == 0x0000)
            return true;
    }
}

inline void putU16(QByteArray& bytes, qint64 at, std::uint16_t value) {
    bytes[at] = char(value & 0xff);
    bytes[at + 1] = char(value >> 8);
}

// Sets the header's file length (in words) to what `wmf` now holds after it.
inline void setWmfFileLength(QByteArray& wmf, qint64 headerAt) {
    constexpr qint64 SizeAt = 6;
    const auto fileWords = std::uint32_t((wmf.size() - headerAt) / 2);
    putU16(wmf, headerAt + SizeAt, std::uint16_t(fileWords & 0xffff));
    putU16(wmf, headerAt + SizeAt + 2, std::uint16_t(fileWords >> 16));
}

// Sets the header's largest-record length (in words) to that of the largest
// record `wmf` holds. libwmf sizes its record buffer from that field alone, so
// a damaged header would have it ask for gigabytes, and passes that add
// records would otherwise have to keep it right themselves.
inline void setWmfLargestRecord(QByteArray& wmf, qint64 headerAt) {
    constexpr qint64 MaxRecordAt = 12;
    if (wmf.size() < headerAt + WmfHeaderBytes)
        return;
    qint64 largest = 3;
    forEachWmfRecord(wmf, headerAt, [&](qint64, const WmfRecordFrame& frame) {
        largest = std::max(largest, frame.bytes / 2);
    });
    putU16(wmf, headerAt + MaxRecordAt, std::uint16_t(largest & 0xffff));
    putU16(wmf, headerAt + MaxRecordAt + 2, std::uint16_t(largest >> 16));
}

} // namespace graphics
