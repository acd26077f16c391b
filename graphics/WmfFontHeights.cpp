#include "graphics/WmfFontHeights.h"

#include "graphics/WmfRecordStream.h"
#include "graphics/WmfText.h"

#include <QHash>
#include <QPair>
#include <cmath>
#include <cstdint>

namespace graphics {
namespace {

constexpr std::uint16_t CreateFontIndirect = 0x02FB;
// LOGFONT16 in the record: the height first, the character set 13 bytes on,
// the face name (at most 32 bytes) after 18.
constexpr qint64 HeightAt = 6;
constexpr qint64 CharsetAt = HeightAt + 13;
constexpr qint64 FaceAt = HeightAt + 18;
constexpr qint64 MaxFaceBytes = 32;
// Fonts measured at most; past them (hostile files) a typical cell stands in.
constexpr qsizetype MaxMeasuredFonts = 64;

} // namespace

QByteArray withFontHeightsAsEm(const QByteArray& bytes, qint64 headerAt) {
    QByteArray out = bytes;
    bool changed = false;
    QHash<QPair<QByteArray, int>, double> cellPerEm;
    const bool whole =
        forEachWmfRecord(bytes, headerAt, [&](qint64 recordAt, const WmfRecordFrame& frame) {
            if (frame.function != CreateFontIndirect || frame.bytes < FaceAt)
                return;
            const std::int16_t height = *readI16(bytes, recordAt + HeightAt);
            if (height <= 0)
                return;
            const int charset = int(std::uint8_t(bytes[recordAt + CharsetAt]));
            QByteArray face =
                bytes.mid(recordAt + FaceAt, std::min(MaxFaceBytes, frame.bytes - FaceAt));
            face.truncate(face.indexOf('\0') < 0 ? face.size() : face.indexOf('\0'));
            const auto key = qMakePair(face, charset);
            if (!cellPerEm.contains(key) && cellPerEm.size() < MaxMeasuredFonts)
                cellPerEm.insert(key, cellHeightPerEm(decodeWindowsText(face, charset), charset));
            const long em =
                std::max(1L, std::lround(height / cellPerEm.value(key, TypicalCellHeightPerEm)));
            putU16(out, recordAt + HeightAt, std::uint16_t(std::int16_t(-em)));
            changed = true;
        });
    // Not a checked file: left to the player as it is.
    return whole && changed ? out : bytes;
}

} // namespace graphics
