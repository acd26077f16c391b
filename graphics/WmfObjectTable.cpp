#include "graphics/WmfObjectTable.h"

#include "graphics/WmfRecordStream.h"

#include <QList>
#include <cstdint>
#include <initializer_list>
#include <set>

namespace graphics {
namespace {

constexpr qint64 ObjectCountAt = 10; // the object table's size, in the header
constexpr qint64 FirstParamAt = 6;

// Where the object indexes of a record lie, as byte offsets in the record.
std::initializer_list<qint64> objectParams(std::uint16_t function) {
    static constexpr std::initializer_list<qint64> none{};
    static constexpr std::initializer_list<qint64> first{FirstParamAt};
    static constexpr std::initializer_list<qint64> regionAndBrush{FirstParamAt, FirstParamAt + 2};
    switch (function) {
    case 0x012D: // SelectObject
    case 0x0234: // SelectPalette
    case 0x012C: // SelectClipRegion
    case 0x012A: // InvertRegion
    case 0x012B: // PaintRegion
        return first;
    case 0x0228: // FillRegion
    case 0x0429: // FrameRegion
        return regionAndBrush;
    default:
        return none;
    }
}

} // namespace

bool createsObject(std::uint16_t function) {
    switch (function) {
    case 0x02FA: // CreatePenIndirect
    case 0x02FB: // CreateFontIndirect
    case 0x02FC: // CreateBrushIndirect
    case 0x0142: // DIBCreatePatternBrush
    case 0x01F9: // CreatePatternBrush
    case 0x00F7: // CreatePalette
    case 0x06FF: // CreateRegion
        return true;
    default:
        return false;
    }
}

QByteArray withOwnObjectSlots(const QByteArray& bytes, qint64 headerAt) {
    const auto tableSize = readU16(bytes, headerAt + ObjectCountAt);
    if (!tableSize)
        return bytes;
    // Windows' table: which object (in creation order) each slot holds, -1 when free.
    QList<int> table(*tableSize, -1);
    std::set<int> freeSlots;
    for (int i = 0; i < *tableSize; ++i)
        freeSlots.insert(i);
    int created = 0;

    QByteArray out = bytes.left(headerAt + WmfHeaderBytes);
    qint64 at = headerAt + WmfHeaderBytes;
    for (;;) {
        const auto frame = wmfRecordAt(bytes, at);
        if (!frame)
            return bytes; // not a checked file: leave it to the player as it is
        const qint64 recordBytes = frame->bytes;
        const std::uint16_t function = frame->function;
        QByteArray record = bytes.mid(at, recordBytes);
        at += recordBytes;

        if (createsObject(function)) {
            // A full table makes the creation fail in Windows.
            if (freeSlots.empty())
                continue;
            if (created == MaxWmfObjects)
                return bytes;
            table[*freeSlots.begin()] = created++;
            freeSlots.erase(freeSlots.begin());
        } else if (function == 0x01F0) { // DeleteObject: the object stays, its slot frees
            const auto slot = readU16(record, FirstParamAt);
            if (slot && *slot < table.size() && table[*slot] >= 0) {
                table[*slot] = -1;
                freeSlots.insert(*slot);
            }
            continue;
        } else {
            bool named = true;
            for (const qint64 param : objectParams(function)) {
                const auto slot = readU16(record, param);
                named = named && slot && *slot < table.size() && table[*slot] >= 0;
                if (named)
                    putU16(record, param, std::uint16_t(table[*slot]));
            }
            if (!named)
                continue;
        }
        out += record;
        if (function == 0x0000)
            break;
    }
    putU16(out, headerAt + ObjectCountAt, std::uint16_t(created));
    setWmfFileLength(out, headerAt);
    return out;
}

} // namespace graphics
