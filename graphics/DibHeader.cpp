#include "graphics/DibHeader.h"

#include "graphics/LittleEndian.h"
#include "graphics/PictureLimits.h"

namespace graphics {
namespace {

std::optional<DibHeader> reject(QString* error, const QString& reason) {
    if (error)
        *error = reason;
    return std::nullopt;
}

bool isWindowsInfoSize(std::uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// The default channels of pixels stored without masks.
void setDefaultMasks(DibHeader& h) {
    if (h.bitCount == 16) {
        h.redMask = 0x7c00;
        h.greenMask = 0x03e0;
        h.blueMask = 0x001f;
    } else if (h.bitCount == 32) {
        h.redMask = 0x00ff0000;
        h.greenMask = 0x0000ff00;
        h.blueMask = 0x000000ff;
    }
}

} // namespace

bool DibHeader::isOs2() const {
    return headerSize == 12 || !isWindowsInfoSize(headerSize);
}

std::int64_t DibHeader::maskBytes() const {
    if (headerSize != 40)
        return 0;
    if (compression == dib::Bitfields)
        return 12;
    return compression == dib::AlphaBitfields ? 16 : 0;
}

std::int64_t DibHeader::colorEntries() const {
    if (colorsUsed != 0)
        return colorsUsed;
    return bitCount >= 1 && bitCount <= 8 ? std::int64_t(1) << bitCount : 0;
}

std::int64_t DibHeader::colorTableBytes() const {
    return maskBytes() + colorEntries() * colorEntryBytes();
}

bool DibHeader::isUncompressed() const {
    return compression == dib::Rgb || compression == dib::Bitfields ||
           compression == dib::AlphaBitfields;
}

bool DibHeader::isEmbeddedStream() const {
    return compression == dib::Jpeg || compression == dib::Png;
}

std::int64_t DibHeader::rowBytes() const {
    return ((width * bitCount + 31) / 32) * 4;
}

std::int64_t DibHeader::uncompressedPixelBytes() const {
    return rowBytes() * height;
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
        // Short OS/2 headers stop before a field: what is left out is zero.
        auto field = [&](qint64 at) {
            return at + 4 <= qint64(h.headerSize) ? readU32(bytes, at).value_or(0) : 0u;
        };
        h.compression = field(16);
        h.imageSize = field(20);
        h.colorsUsed = field(32);
        if (h.headerSize >= 52) {
            h.redMask = field(40);
            h.greenMask = field(44);
            h.blueMask = field(48);
        }
        if (h.headerSize >= 56)
            h.alphaMask = field(52);
    }
    h.topDown = height < 0;
    h.height = height < 0 ? -height : height;

    if (h.isOs2()) {
        // OS/2 numbers its 1-D Huffman and 24-bit run-length codings 3 and 4.
        if (h.compression == 3 || h.compression == 4)
            return reject(error, QStringLiteral("OS/2 の圧縮形式 %1 は扱えません")
                                     .arg(h.compression == 3 ? QStringLiteral("Huffman 1D")
                                                             : QStringLiteral("RLE24")));
        if (h.compression > dib::Rle4)
            return reject(error, QStringLiteral("扱えない圧縮形式です (%1)").arg(h.compression));
    } else if (h.compression > dib::AlphaBitfields) {
        return reject(error, QStringLiteral("扱えない圧縮形式です (%1)").arg(h.compression));
    }

    if (h.compression == dib::Bitfields || h.compression == dib::AlphaBitfields) {
        if (h.headerSize == 40) {
            const auto red = readU32(bytes, 40);
            const auto green = readU32(bytes, 44);
            const auto blue = readU32(bytes, 48);
            const auto alpha = readU32(bytes, 52);
            if (red && green && blue) {
                h.redMask = *red;
                h.greenMask = *green;
                h.blueMask = *blue;
            }
            if (h.compression == dib::AlphaBitfields && alpha)
                h.alphaMask = *alpha;
        }
        if (h.bitCount != 16 && h.bitCount != 32)
            return reject(error, QStringLiteral("ビットフィールドは 16・32 ビットの画像だけです"));
    } else {
        // Masks in the header count only for pixels that say they use them.
        const std::uint32_t alpha = h.alphaMask;
        setDefaultMasks(h);
        h.alphaMask = (h.bitCount == 16 || h.bitCount == 32) ? alpha : 0;
    }

    const bool rle = h.compression == dib::Rle8 || h.compression == dib::Rle4;
    if (h.isEmbeddedStream()) {
        if (h.bitCount != 0)
            return reject(error, QStringLiteral("圧縮形式と色数が合いません"));
        if (h.topDown)
            return reject(error, QStringLiteral("埋め込まれた画像は上下を逆にできません"));
    } else {
        switch (h.bitCount) {
        case 1:
        case 2:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            return reject(error, QStringLiteral("色数 %1 ビットは扱えません").arg(h.bitCount));
        }
        if ((h.compression == dib::Rle8 && h.bitCount != 8) ||
            (h.compression == dib::Rle4 && h.bitCount != 4))
            return reject(error, QStringLiteral("圧縮形式と色数が合いません"));
        if (rle && h.topDown)
            return reject(error, QStringLiteral("圧縮された画像は上下を逆にできません"));
    }
    // Larger tables than the pixels can index occur; only absurd ones are refused.
    if (h.colorsUsed > 65536)
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
