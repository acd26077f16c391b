#include "graphics/Os2Icon.h"

#include "graphics/DibHeader.h"
#include "graphics/DibReader.h"
#include "graphics/GraphicErrors.h"
#include "graphics/LittleEndian.h"

#include <QList>
#include <optional>

namespace graphics {
namespace {

constexpr qint64 FileHeaderBytes = 14;
// Bitmap arrays are short lists; a longer chain is a loop or garbage.
constexpr int MaxArrayEntries = 64;

[[noreturn]] void fail(const QString& reason) {
    throw EInvalidGraphic(QStringLiteral("OS/2 アイコンを読み込めません: %1").arg(reason));
}

bool isIconType(QByteArrayView type) {
    return type == "IC" || type == "CI" || type == "PT" || type == "CP";
}

struct Os2Bitmap {
    DibHeader header;
    QByteArrayView info; // header and colour table
    QByteArrayView bits;
};

// The bitmap whose file header starts at `at`; its bits are at the offset the
// header gives, counted from the start of the file.
Os2Bitmap bitmapAt(QByteArrayView file, qint64 at) {
    if (at < 0 || at + FileHeaderBytes > file.size() || !isIconType(file.sliced(at, 2)))
        fail(QStringLiteral("ヘッダーが不正です"));
    QString reason;
    const QByteArrayView rest = file.sliced(at + FileHeaderBytes);
    const auto header = parseDibHeader(rest, &reason);
    if (!header)
        fail(reason);
    const qint64 infoBytes =
        std::min<qint64>(rest.size(), qint64(header->headerSize) + header->colorTableBytes());
    if (header->headerSize > infoBytes)
        fail(QStringLiteral("ヘッダーが途中で切れています"));
    const qint64 bitsAt = *readU32(file, at + 10);
    if (bitsAt <= 0 || bitsAt >= file.size())
        fail(QStringLiteral("画素の位置が不正です"));
    return {*header, rest.first(infoBytes), file.sliced(bitsAt)};
}

struct Os2IconImage {
    Os2Bitmap mask;
    std::optional<Os2Bitmap> colour;
};

Os2IconImage iconAt(QByteArrayView file, qint64 at) {
    Os2IconImage icon{bitmapAt(file, at), std::nullopt};
    const DibHeader& mask = icon.mask.header;
    if (mask.bitCount != 1 || mask.height < 2 || !mask.isUncompressed())
        fail(QStringLiteral("マスクが不正です"));
    const QByteArrayView type = file.sliced(at, 2);
    if (type == "CI" || type == "CP") {
        // The colour bitmap's file header follows the mask's header and colour table.
        icon.colour = bitmapAt(file, at + FileHeaderBytes + icon.mask.info.size());
        if (icon.colour->header.width != mask.width ||
            icon.colour->header.height != mask.height / 2)
            fail(QStringLiteral("マスクと画像の大きさが合いません"));
    }
    return icon;
}

QList<Os2IconImage> iconsOf(QByteArrayView file) {
    if (!file.startsWith("BA"))
        return {iconAt(file, 0)};
    QList<Os2IconImage> icons;
    qint64 at = 0;
    while (icons.size() < MaxArrayEntries) {
        if (at + FileHeaderBytes > file.size() || file.sliced(at, 2) != "BA")
            fail(QStringLiteral("ビットマップ配列が不正です"));
        icons.append(iconAt(file, at + FileHeaderBytes));
        const qint64 next = *readU32(file, at + 6);
        if (next <= at) // 0 ends the array; going back would loop
            break;
        at = next;
    }
    return icons;
}

qint64 rank(const Os2IconImage& icon) {
    const DibHeader& h = icon.colour ? icon.colour->header : icon.mask.header;
    return (h.width * h.height) * 64 + h.bitCount;
}

} // namespace

bool isOs2Icon(QByteArrayView file) {
    return file.size() >= 2 && (file.startsWith("BA") || isIconType(file.first(2)));
}

QImage readOs2Icon(QByteArrayView file) {
    const QList<Os2IconImage> icons = iconsOf(file);
    const Os2IconImage* best = &icons.front();
    for (const Os2IconImage& icon : icons)
        if (rank(icon) > rank(*best))
            best = &icon;

    const DibHeader& mask = best->mask.header;
    const qint64 width = mask.width;
    const qint64 height = mask.height / 2;
    const qint64 rowBytes = mask.rowBytes();
    if (rowBytes * height * 2 > best->mask.bits.size())
        fail(QStringLiteral("マスクが途中で切れています"));
    QImage image = best->colour ? decodeDib(best->colour->header, best->colour->info,
                                            best->colour->bits, DibAlpha::Declared)
                                : QImage(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull())
        throw std::bad_alloc();
    image = image.convertToFormat(QImage::Format_ARGB32);

    // Stored from the bottom: the AND mask's rows, then the XOR mask's.
    const auto* bits = reinterpret_cast<const unsigned char*>(best->mask.bits.data());
    for (qint64 row = 0; row < height; ++row) {
        const unsigned char* andRow = bits + row * rowBytes;
        const unsigned char* xorRow = bits + (height + row) * rowBytes;
        auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(int(height - 1 - row)));
        for (qint64 x = 0; x < width; ++x) {
            const int bit = 0x80 >> (x % 8);
            const bool andBit = andRow[x / 8] & bit;
            const bool xorBit = xorRow[x / 8] & bit;
            if (andBit)
                pixels[x] = 0;
            else if (!best->colour)
                pixels[x] = xorBit ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        }
    }
    return image;
}

} // namespace graphics
