#include "graphics/WmfTextRuns.h"

#include "graphics/WmfRecordStream.h"

#include <cstdint>
#include <optional>

namespace graphics {
namespace {

constexpr std::uint16_t ExtTextOut = 0x0A32;
constexpr std::uint16_t Eof = 0x0000;
constexpr std::uint16_t EtoOpaque = 0x0002;
constexpr std::uint16_t EtoClipped = 0x0004;
// The parameters: y, x, the string's length and the options, then the
// rectangle when the options name one, the string (padded to whole words)
// and the advances, one a byte.
constexpr qint64 LengthAt = 6 + 4;
constexpr qint64 OptionsAt = 6 + 6;
constexpr qint64 RectangleAt = 6 + 8;
constexpr qint64 RectangleBytes = 8;
// Past this much growth (a hostile file of nothing but such strings) the
// drawing is played as it is.
constexpr qint64 MaxAddedBytes = qint64(16) * 1024 * 1024;

constexpr std::uint16_t SetTextAlign = 0x012E;
// TA_UPDATECP and the horizontal alignment.
constexpr std::uint16_t NotLeftAligned = 0x0007;

struct TextRecord {
    qint64 stringAt = 0;
    qint64 advancesAt = 0;
    int length = 0;
};

// The parts of an ExtTextOut record that has advances, one after the first
// of them nought; nothing otherwise.
std::optional<TextRecord> ligatureText(QByteArrayView record) {
    const auto length = readI16(record, LengthAt);
    const auto options = readU16(record, OptionsAt);
    if (!length || !options || *length < 2)
        return std::nullopt;
    TextRecord text;
    text.length = *length;
    text.stringAt = RectangleAt + ((*options & (EtoOpaque | EtoClipped)) ? RectangleBytes : 0);
    text.advancesAt = text.stringAt + (qint64(text.length) + 1) / 2 * 2;
    if (text.advancesAt + 2 * qint64(text.length) > record.size())
        return std::nullopt;
    for (int i = 1; i < text.length; ++i) {
        if (*readI16(record, text.advancesAt + 2 * i) == 0)
            return text;
    }
    return std::nullopt;
}

} // namespace

QByteArray withLigatureRunsWhole(const QByteArray& bytes, qint64 headerAt) {
    QByteArray out = bytes.left(headerAt + WmfHeaderBytes);
    bool changed = false;
    std::uint16_t align = 0;
    qint64 at = headerAt + WmfHeaderBytes;
    for (;;) {
        const auto frame = wmfRecordAt(bytes, at);
        if (!frame)
            return bytes; // not a checked file: leave it to the player as it is
        const QByteArrayView record = QByteArrayView(bytes).sliced(at, frame->bytes);
        at += frame->bytes;
        // The alignment in force: withTextAlignmentRestored() has stated it
        // again after each RestoreDC.
        if (frame->function == SetTextAlign && frame->bytes >= 8)
            align = *readU16(record, 6);
        const auto text = frame->function == ExtTextOut && (align & NotLeftAligned) != 0
                              ? ligatureText(record)
                              : std::optional<TextRecord>();
        if (!text) {
            out += record;
        } else {
            const qint64 recordAt = out.size();
            out += record.first(text->advancesAt);
            const auto words = std::uint32_t(text->advancesAt / 2);
            putU16(out, recordAt, std::uint16_t(words & 0xffff));
            putU16(out, recordAt + 2, std::uint16_t(words >> 16));
            changed = true;
        }
        if (frame->function == Eof)
            break;
        if (out.size() > bytes.size() + MaxAddedBytes)
            return bytes;
    }
    if (!changed)
        return bytes;
    out += QByteArrayView(bytes).sliced(at);
    setWmfFileLength(out, headerAt);
    return out;
}

} // namespace graphics
