#include "graphics/WmfBrushes.h"

#include "graphics/WmfRecordStream.h"

#include <cstdint>

namespace graphics {
namespace {

// libwmf knows a record by the low byte of its function number.
constexpr std::uint16_t CreateBrushIndirect = 0x00FC;
constexpr qint64 StyleAt = 6;
constexpr std::uint16_t BsSolid = 0;
constexpr std::uint16_t BsNull = 1;
constexpr std::uint16_t BsHatched = 2;

} // namespace

QByteArray withDrawableBrushes(const QByteArray& bytes, qint64 headerAt) {
    QByteArray out = bytes;
    bool changed = false;
    const bool whole =
        forEachWmfRecord(bytes, headerAt, [&](qint64 at, const WmfRecordFrame& frame) {
            if ((frame.function & 0x00FF) != CreateBrushIndirect || frame.bytes < StyleAt + 2)
                return;
            const std::uint16_t style = *readU16(bytes, at + StyleAt);
            if (style == BsSolid || style == BsNull || style == BsHatched)
                return;
            putU16(out, at + StyleAt, BsNull);
            changed = true;
        });
    // Not a checked file: left to the player as it is.
    return whole && changed ? out : bytes;
}

} // namespace graphics
