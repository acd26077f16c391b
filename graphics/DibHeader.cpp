#include "graphics/DibHeader.h"

#include "graphics/LittleEndian.h"
#include "graphics/PictureLimits.h"

#include <limits>

namespace graphics {
namespace {

constexpr std::uint32_t BiRgb = 0;
constexpr std::uint32_t BiBitfields = 3;
constexpr std::uint32_t BiAlphaBitfields = 6;

std::optional<DibHeader> reject(QString* error, const QString& reason) {
    if (error)
        *error = reason;
    return std::nullopt;
}

} // namespace

std::int64_t DibHeader::colorTableBytes() const {
    const std::int64_t entryBytes = headerSize == 12 ? 3 : 4;
    std::int64_t entries = colorsUsed;
    if (entries == 0 && bitCount <= 8)
        entries = std::int64_t(1) << bitCount;
    if (headerSize == 40 && (compression == BiBitfields || compression == BiAlphaBitfields))
        entries += compression == BiBitfields ? 3 : 4; // the masks follow a plain header
    return entries * entryBytes;
}

bool DibHeader::isUncompressed() const {
    return compression == BiRgb || compression == BiBitfields || compression == BiAlphaBitfields;
}

std::int64_t DibHeader::uncompressedPixelBytes() const {
    const std::int64_t rowBytes = ((width * bitCount + 31) / 32) * 4;
    return rowBytes * height;
}

std::optional<DibHeader> parseDibHeader(QByteArrayView bytes, QString* error) {
    DibHeader h;
    const auto size = readU32(bytes, 0);
    if (!size)
        return reject(error, QStringLiteral("ヘッダーが途中で切れています"));
    h.headerSize = *size;
    const bool core = h.headerSize == 12;
    if (!core && (h.headerSize < 16 || h.headerSize > 124))
        return reject(error, QStringLiteral("ヘッダーの大きさが不正です"));
    if (bytes.size() < qsizetype(core ? 12 : 16))
        return reject(error, QStringLiteral("ヘッダーが途中で切れています"));

    std::int64_t height = 0;
    if (core) {
        h.width = *readU16(bytes, 4);
        height = *readU16(bytes, 6);
        h.bitCount = *readU16(bytes, 10);
    } else {
        h.width = *readI32(bytes, 4);
        height = *readI32(bytes, 8);
        h.bitCount = *readU16(bytes, 14);
        // Short OS/2 headers stop before the compression field: they mean none.
        h.compression = readU32(bytes, 16).value_or(0);
        h.imageSize = readU32(bytes, 20).value_or(0);
        if (h.headerSize >= 36)
            h.colorsUsed = readU32(bytes, 32).value_or(0);
    }
    h.topDown = height < 0;
    h.height = height < 0 ? -height : height;

    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return reject(error, QStringLiteral("色数 %1 ビットは扱えません").arg(h.bitCount));
    }
    if (h.bitCount <= 8 && h.colorsUsed > (1u << h.bitCount))
        return reject(error, QStringLiteral("色表が大きすぎます"));
    if (h.bitCount > 8 && h.colorsUsed > 65536)
        return reject(error, QStringLiteral("色表が大きすぎます"));
    if (h.width <= 0 || h.height <= 0)
        return reject(error, QStringLiteral("画像の大きさが不正です"));
    if (!pixelCountAllowed(h.width, h.height))
        return reject(error,
                      QStringLiteral("画像が大きすぎます (%1×%2)").arg(h.width).arg(h.height));
    return h;
}

bool isPackedDibSound(QByteArrayView dib) {
    const auto header = parseDibHeader(dib, nullptr);
    if (!header)
        return false;
    // The colour table is left out of the sum: metafiles may store it as 16-bit
    // palette indices, and the pixels alone decide how far a decoder reads.
    const std::int64_t pixelsAt = header->headerSize;
    if (pixelsAt > dib.size())
        return false;
    if (!header->isUncompressed())
        return true;
    return pixelsAt + header->uncompressedPixelBytes() <= dib.size();
}

} // namespace graphics
