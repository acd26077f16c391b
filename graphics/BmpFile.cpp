#include "graphics/BmpFile.h"

#include "graphics/GraphicErrors.h"
#include "graphics/LittleEndian.h"

namespace graphics {

DibHeader checkBmpFile(QByteArrayView head, qint64 fileSize) {
    if (fileSize < 14 + 12 || head.size() < 14 + 4)
        throw EInvalidGraphic(QStringLiteral("ビットマップが途中で切れています"));
    if (head[0] != 'B' || head[1] != 'M')
        throw EInvalidGraphic(QStringLiteral("ビットマップ形式ではありません"));

    QString reason;
    const auto dib = parseDibHeader(head.sliced(14), &reason);
    if (!dib)
        throw EInvalidGraphic(QStringLiteral("ビットマップを読み込めません: %1").arg(reason));
    if (14 + std::int64_t(dib->headerSize) > fileSize)
        throw EInvalidGraphic(QStringLiteral("ビットマップが途中で切れています"));

    // Where the pixels start: the file header says so; writers that leave it 0
    // mean "right after the colour table".
    const std::int64_t declared = *readU32(head, 10);
    const std::int64_t pixelsAt =
        declared != 0 ? declared : 14 + std::int64_t(dib->headerSize) + dib->colorTableBytes();
    if (pixelsAt < 14 + std::int64_t(dib->headerSize) || pixelsAt >= fileSize)
        throw EInvalidGraphic(QStringLiteral("ビットマップが途中で切れています"));
    // Compressed pixels have no computable length; the declared one must fit.
    const std::int64_t pixelBytes =
        dib->isUncompressed() ? dib->uncompressedPixelBytes() : std::int64_t(dib->imageSize);
    if (pixelsAt + pixelBytes > fileSize)
        throw EInvalidGraphic(QStringLiteral("ビットマップが途中で切れています"));
    return *dib;
}

} // namespace graphics
