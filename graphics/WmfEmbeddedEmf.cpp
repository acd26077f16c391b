#include "graphics/WmfEmbeddedEmf.h"

#include "graphics/PictureLimits.h"
#include "graphics/WmfRecordStream.h"

#include <cstdint>

namespace graphics {
namespace {

constexpr std::uint16_t Escape = 0x0626;
constexpr std::uint16_t EnhancedMetafile = 0x000F;
constexpr std::uint32_t CommentIdentifier = 0x43464D57; // "WMFC"
constexpr std::uint32_t CommentType = 1;
constexpr std::uint32_t CommentVersion = 0x00010000;
// Where the fields lie in the escape record.
constexpr qint64 EscapeFunctionAt = 6;
constexpr qint64 ByteCountAt = 8;
constexpr qint64 IdentifierAt = 10;
constexpr qint64 TypeAt = 14;
constexpr qint64 VersionAt = 18;
constexpr qint64 ChunkSizeAt = 32;
constexpr qint64 RemainingAt = 36;
constexpr qint64 TotalSizeAt = 40;
constexpr qint64 ChunkAt = 44;
// The escape's own byte count covers the fields from the identifier on.
constexpr qint64 FieldsBeforeChunk = ChunkAt - IdentifierAt;

} // namespace

QByteArray embeddedEmf(QByteArrayView bytes, qint64 headerAt) {
    QByteArray emf;
    qint64 total = -1;
    qint64 at = headerAt + WmfHeaderBytes;
    for (;;) {
        const auto frame = wmfRecordAt(bytes, at);
        if (!frame)
            return {};
        const qint64 recordBytes = frame->bytes;
        const std::uint16_t function = frame->function;
        if (function == 0x0000)
            break;
        const QByteArrayView record = bytes.sliced(at, recordBytes);
        at += recordBytes;
        if (function != Escape || readU16(record, EscapeFunctionAt) != EnhancedMetafile)
            continue;
        const auto byteCount = readU16(record, ByteCountAt);
        const auto chunkSize = readU32(record, ChunkSizeAt);
        const auto remaining = readU32(record, RemainingAt);
        const auto totalSize = readU32(record, TotalSizeAt);
        if (readU32(record, IdentifierAt) != CommentIdentifier ||
            readU32(record, TypeAt) != CommentType ||
            readU32(record, VersionAt) != CommentVersion || !byteCount || !chunkSize ||
            !remaining || !totalSize)
            return {};
        if (total < 0) {
            total = *totalSize;
            if (total <= 0 || total > MaxWholeFileBytes)
                return {};
        }
        // Every piece names the same whole, fits its record, and leaves what
        // the next pieces bring.
        if (qint64(*totalSize) != total || *chunkSize > recordBytes - ChunkAt ||
            *chunkSize > qint64(*byteCount) - FieldsBeforeChunk ||
            emf.size() + qint64(*chunkSize) > total ||
            qint64(*remaining) != total - emf.size() - qint64(*chunkSize))
            return {};
        emf += record.sliced(ChunkAt, *chunkSize);
    }
    if (total < 0 || emf.size() != total)
        return {};
    return emf;
}

} // namespace graphics
