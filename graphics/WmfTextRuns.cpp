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
// TA_UPDATECP and the horizontal alignment: only left-aligned strings at
// their own reference point are cut into pieces.
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

// An ExtTextOut of `record`'s bytes [from, to) at `x`, with their advances
// or without.
QByteArray piece(QByteArrayView record, const TextRecord& text, int from, int to, int x,
                 bool withAdvances, bool first) {
    const int length = to - from;
    QByteArray out = record.first(text.stringAt).toByteArray();
    putU16(out, 6 + 2, std::uint16_t(std::int16_t(x)));
    putU16(out, LengthAt, std::uint16_t(length));
    // Only the first piece paints the background box.
    if (!first)
        putU16(out, OptionsAt, std::uint16_t(*readU16(record, OptionsAt) & ~EtoOpaque));
    out += record.sliced(text.stringAt + from, length);
    if (length % 2)
        out += '\0';
    if (withAdvances)
        out += record.sliced(text.advancesAt + 2 * from, 2 * length);
    const auto words = std::uint32_t(out.size() / 2);
    putU16(out, 0, std::uint16_t(words & 0xffff));
    putU16(out, 2, std::uint16_t(words >> 16));
    return out;
}

// The string cut into pieces: runs of single letters keep their advances,
// each group of joined letters goes without, at its place; nothing when a
// place falls outside the 16-bit coordinates.
std::optional<QByteArray> cutAtLigatures(QByteArrayView record, const TextRecord& text) {
    const int x = *readI16(record, 6 + 2);
    const auto advance = [&](int i) { return int(*readI16(record, text.advancesAt + 2 * i)); };
    QByteArray out;
    qint64 offset = 0; // from the string's start to the current letter
    qint64 runOffset = 0;
    int runFrom = 0;
    bool first = true;
    const auto fits = [](qint64 v) { return v >= -32768 && v <= 32767; };
    const auto flush = [&](int to) {
        if (to <= runFrom)
            return true;
        if (!fits(x + runOffset))
            return false;
        out += piece(record, text, runFrom, to, int(x + runOffset), true, first);
        first = false;
        return true;
    };
    for (int i = 0; i < text.length;) {
        int end = i + 1;
        qint64 width = advance(i);
        while (end < text.length && advance(end) == 0)
            ++end;
        if (end - i > 1) {
            if (!flush(i) || !fits(x + offset))
                return std::nullopt;
            out += piece(record, text, i, end, int(x + offset), false, first);
            first = false;
            runFrom = end;
            runOffset = offset + width;
        }
        offset += width;
        i = end;
    }
    if (!flush(text.length))
        return std::nullopt;
    return out;
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
        const auto text =
            frame->function == ExtTextOut ? ligatureText(record) : std::optional<TextRecord>();
        if (!text) {
            out += record;
        } else if (const auto pieces = (align & NotLeftAligned) == 0 ? cutAtLigatures(record, *text)
                                                                     : std::nullopt) {
            out += *pieces;
            changed = true;
        } else {
            // Centred or right-aligned: the whole string without advances.
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
