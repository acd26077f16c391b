#include "graphics/IconPicture.h"

#include "graphics/DibHeader.h"
#include "graphics/GraphicErrors.h"
#include "graphics/IcoDirectory.h"
#include "graphics/PictureLimits.h"
#include "graphics/StreamBytes.h"

#include <QBuffer>
#include <QImageReader>

namespace {

QImage readWith(const QByteArray& bytes, const char* format) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
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

// An icon file holding only `entry`, so that Qt's icon reader decodes exactly
// the image we chose.
QByteArray singleEntryIcon(QByteArrayView file, const graphics::IcoEntry& entry, qint64 entryAt) {
    constexpr qint64 dataAt = 6 + 16;
    QByteArray out;
    out.reserve(dataAt + entry.size);
    out.append("\0\0\1\0\1\0", 6);
    QByteArray record(file.sliced(entryAt, 16).toByteArray());
    for (int i = 0; i < 4; ++i)
        record[12 + i] = char((dataAt >> (8 * i)) & 0xff);
    out.append(record);
    out.append(file.sliced(entry.offset, entry.size));
    return out;
}

// An icon's DIB holds the colour image and then a 1-bit mask, its height
// counting both; the colour rows at least must be in the entry.
void checkIconDib(QByteArrayView dib) {
    QString reason;
    auto header = graphics::parseDibHeader(dib, &reason);
    if (!header)
        throw EInvalidGraphic(QStringLiteral("アイコンを読み込めません: %1").arg(reason));
    if (!header->isUncompressed())
        throw EInvalidGraphic(QStringLiteral("アイコンを読み込めません: 圧縮された画像です"));
    header->height = std::max<std::int64_t>(1, header->height / 2);
    const std::int64_t needed =
        header->headerSize + header->colorTableBytes() + header->uncompressedPixelBytes();
    if (needed > dib.size())
        throw EInvalidGraphic(QStringLiteral("アイコンが途中で切れています"));
}

} // namespace

IconPicture::~IconPicture() = default;

void IconPicture::loadFromStream(QIODevice& device) {
    const QByteArray bytes = graphics::readAllBounded(device, graphics::MaxWholeFileBytes);
    const QList<graphics::IcoEntry> entries = graphics::readIcoDirectory(bytes);
    const qsizetype index = graphics::bestIcoEntry(entries);
    const graphics::IcoEntry& entry = entries[index];

    QImage image;
    if (entry.png) {
        image = readWith(bytes.sliced(entry.offset, entry.size), "png");
    } else {
        checkIconDib(QByteArrayView(bytes).sliced(entry.offset, entry.size));
        image = readWith(singleEntryIcon(bytes, entry, 6 + 16 * index), "ico");
    }
    setImage(std::move(image));
}
