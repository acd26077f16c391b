#include "graphics/BmpFile.h"

#include "graphics/DibReader.h"
#include "graphics/GraphicErrors.h"
#include "graphics/LittleEndian.h"

#include <algorithm>

namespace graphics {
namespace {

constexpr qint64 FileHeaderBytes = 14;

[[noreturn]] void truncated() {
    throw EInvalidGraphic(QStringLiteral("ビットマップが途中で切れています"));
}

} // namespace

BmpLayout checkBmpFile(QByteArrayView file) {
    if (file.size() < FileHeaderBytes + 12)
        truncated();
    if (file[0] != 'B' || file[1] != 'M')
        throw EInvalidGraphic(QStringLiteral("ビットマップ形式ではありません"));

    QString reason;
    const auto dib = parseDibHeader(file.sliced(FileHeaderBytes), &reason);
    if (!dib)
        throw EInvalidGraphic(QStringLiteral("ビットマップを読み込めません: %1").arg(reason));
    const qint64 headerEnd = FileHeaderBytes + dib->headerSize + dib->maskBytes();
    if (headerEnd > file.size())
        truncated();

    // Where the pixels start: the file header says so; writers that leave it 0
    // mean "right after the colour table".
    const qint64 declared = *readU32(file, 10);
    const qint64 pixelsAt =
        declared != 0 ? declared : FileHeaderBytes + dib->headerSize + dib->colorTableBytes();
    if (pixelsAt < FileHeaderBytes + dib->headerSize || pixelsAt >= file.size())
        truncated();
    if (dib->isUncompressed() && pixelsAt + dib->uncompressedPixelBytes() > file.size())
        truncated();
    return {*dib, pixelsAt};
}

QImage readBmpFile(QByteArrayView file) {
    const BmpLayout layout = checkBmpFile(file);
    const DibHeader& h = layout.header;
    // The colour table is what lies between the header and the pixels: OS/2
    // files often store fewer entries than their bit count allows.
    const qint64 infoEnd =
        std::max(layout.pixelsAt, FileHeaderBytes + h.headerSize + h.maskBytes());
    const QByteArrayView info = file.sliced(FileHeaderBytes, infoEnd - FileHeaderBytes);
    QByteArrayView pixels = file.sliced(layout.pixelsAt);
    if (!h.isUncompressed() && h.imageSize != 0 && h.imageSize < pixels.size())
        pixels = pixels.first(h.imageSize);
    return decodeDib(h, info, pixels, DibAlpha::Declared);
}

} // namespace graphics
