#include "graphics/IconPicture.h"

#include "graphics/DibHeader.h"
#include "graphics/DibReader.h"
#include "graphics/GraphicErrors.h"
#include "graphics/IcoDirectory.h"
#include "graphics/Os2Icon.h"
#include "graphics/PictureLimits.h"
#include "graphics/StreamBytes.h"

#include <QBuffer>
#include <QImageReader>

namespace {

QImage readPng(const QByteArray& bytes) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (size.isValid() && !graphics::pixelCountAllowed(size.width(), size.height()))
        throw EInvalidGraphic(
            QStringLiteral("画像が大きすぎます (%1×%2)").arg(size.width()).arg(size.height()));
    QImage image = reader.read();
    if (image.isNull())
        throw EInvalidGraphic(
            QStringLiteral("アイコンを読み込めません: %1").arg(reader.errorString()));
    return image;
}

// Pixels whose AND-mask bit is set show what lies behind the icon.
void applyAndMask(QImage& image, QByteArrayView mask) {
    const qint64 rowBytes = ((qint64(image.width()) + 31) / 32) * 4;
    image = image.convertToFormat(QImage::Format_ARGB32);
    const auto* bits = reinterpret_cast<const unsigned char*>(mask.data());
    for (int y = 0; y < image.height(); ++y) {
        const unsigned char* row = bits + (image.height() - 1 - y) * rowBytes;
        auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (row[x / 8] & (0x80 >> (x % 8)))
                pixels[x] = 0;
        }
    }
}

// An icon's DIB holds the colour image and then a 1-bit AND mask, its height
// counting both. A 32-bit image with alpha of its own needs no mask.
QImage readIconDib(QByteArrayView dib) {
    QString reason;
    auto header = graphics::parseDibHeader(dib, &reason);
    if (!header)
        throw EInvalidGraphic(QStringLiteral("アイコンを読み込めません: %1").arg(reason));
    if (!header->isUncompressed() || header->topDown)
        throw EInvalidGraphic(QStringLiteral("アイコンを読み込めません: 圧縮された画像です"));
    header->height = std::max<std::int64_t>(1, header->height / 2);
    const std::int64_t pixelsAt = header->headerSize + header->colorTableBytes();
    if (pixelsAt + header->uncompressedPixelBytes() > dib.size())
        throw EInvalidGraphic(QStringLiteral("アイコンが途中で切れています"));

    const QByteArrayView pixels = dib.sliced(pixelsAt);
    QImage image =
        graphics::decodeDib(*header, dib.first(pixelsAt), pixels, graphics::DibAlpha::FourthByte);
    if (image.hasAlphaChannel())
        return image;
    // Some writers leave the mask out; the picture is then opaque.
    const std::int64_t maskAt = header->uncompressedPixelBytes();
    const std::int64_t maskBytes = ((header->width + 31) / 32) * 4 * header->height;
    if (maskAt + maskBytes <= pixels.size())
        applyAndMask(image, pixels.sliced(maskAt, maskBytes));
    return image;
}

} // namespace

IconPicture::~IconPicture() = default;

void IconPicture::loadFromStream(QIODevice& device) {
    const QByteArray bytes = graphics::readAllBounded(device, graphics::MaxWholeFileBytes);
    if (graphics::isOs2Icon(bytes)) {
        setImage(graphics::readOs2Icon(bytes));
        return;
    }
    const QList<graphics::IcoEntry> entries = graphics::readIcoDirectory(bytes);
    const graphics::IcoEntry& entry = entries[graphics::bestIcoEntry(entries)];
    if (entry.png)
        setImage(readPng(bytes.sliced(entry.offset, entry.size)));
    else
        setImage(readIconDib(QByteArrayView(bytes).sliced(entry.offset, entry.size)));
}
