#include "graphics/WmfTextAlignment.h"

#include "graphics/WmfRecordStream.h"

#include <QList>
#include <cstdint>

namespace graphics {
namespace {

constexpr qint64 FirstParamAt = 6;
// Deeper saves than this are not restored: no real drawing nests so far.
constexpr qsizetype MaxSaved = 1024;

enum Function : std::uint16_t {
    SaveDC = 0x001E,
    RestoreDC = 0x0127,
    SetTextAlign = 0x012E,
    Eof = 0x0000,
};

QByteArray setTextAlignRecord(std::uint16_t align) {
    QByteArray record(8, '\0');
    putU16(record, 0, 4); // words, with the one parameter
    putU16(record, 4, SetTextAlign);
    putU16(record, FirstParamAt, align);
    return record;
}

} // namespace

QByteArray withTextAlignmentRestored(const QByteArray& bytes, qint64 headerAt) {
    std::uint16_t align = 0; // Windows' default: top left
    bool alignSet = false;
    QList<std::uint16_t> saved;
    QByteArray out = bytes.left(headerAt + WmfHeaderBytes);
    qint64 at = headerAt + WmfHeaderBytes;
    for (;;) {
        const auto frame = wmfRecordAt(bytes, at);
        if (!frame)
            return bytes; // not a checked file: leave it to the player as it is
        const qint64 recordBytes = frame->bytes;
        const std::uint16_t function = frame->function;
        out += QByteArrayView(bytes).sliced(at, recordBytes);
        const std::optional<std::int16_t> param =
            recordBytes > FirstParamAt + 1 ? readI16(bytes, at + FirstParamAt) : std::nullopt;
        at += recordBytes;

        if (function == SetTextAlign && param) {
            align = std::uint16_t(*param);
            alignSet = true;
        } else if (function == SaveDC) {
            if (saved.size() < MaxSaved)
                saved.append(align);
        } else if (function == RestoreDC && param) {
            // A negative level counts back from the newest save, a positive
            // one names a save by its number; anything else restores nothing.
            const qsizetype keep = *param < 0 ? saved.size() + *param : qsizetype(*param) - 1;
            if (keep >= 0 && keep < saved.size()) {
                align = saved[keep];
                saved.resize(keep);
                if (alignSet)
                    out += setTextAlignRecord(align);
            }
        } else if (function == Eof) {
            break;
        }
    }
    if (!alignSet)
        return bytes;
    // The largest-record field is set from the records before the file is played.
    setWmfFileLength(out, headerAt);
    return out;
}

} // namespace graphics
