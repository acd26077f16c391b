#include "graphics/DibReader.h"

#include "graphics/GraphicErrors.h"
#include "graphics/PictureLimits.h"

#include <QBuffer>
#include <QImageReader>
#include <QList>
#include <algorithm>
#include <bit>
#include <new>

namespace graphics {
namespace {

// Qt refuses by itself above an allocation limit; ours is the pixel limit.
constexpr int AllocationLimitMiB = int(MaxPixelCount * 4 / (1024 * 1024));

[[noreturn]] void fail(const QString& reason) {
    throw EInvalidGraphic(QStringLiteral("ビットマップを読み込めません: %1").arg(reason));
}

const unsigned char* bytesOf(QByteArrayView view) {
    return reinterpret_cast<const unsigned char*>(view.data());
}

// One channel of a masked pixel, scaled from its width to 8 bits so that a
// full 5-bit value is 255, not 248.
class Channel {
public:
    explicit Channel(std::uint32_t mask) : mask_(mask) {
        if (mask == 0)
            return;
        shift_ = std::countr_zero(mask);
        max_ = mask >> shift_;
    }
    [[nodiscard]] bool present() const { return mask_ != 0; }
    [[nodiscard]] int operator()(std::uint32_t pixel) const {
        if (max_ == 0)
            return 0;
        const std::uint64_t value = (pixel & mask_) >> shift_;
        return int((value * 255 + max_ / 2) / max_);
    }

private:
    std::uint32_t mask_ = 0;
    int shift_ = 0;
    std::uint64_t max_ = 0;
};

// Every index the pixels can hold gets an entry; those the table leaves out
// are black.
QList<QRgb> colorTableOf(const DibHeader& h, QByteArrayView info) {
    const int indexBits = h.bitCount <= 8 ? h.bitCount : 8;
    QList<QRgb> table(qsizetype(1) << indexBits, qRgb(0, 0, 0));
    const std::int64_t at = std::int64_t(h.headerSize) + h.maskBytes();
    const std::int64_t entryBytes = h.colorEntryBytes();
    const std::int64_t fitting = info.size() > at ? (info.size() - at) / entryBytes : 0;
    const std::int64_t given = std::min({h.colorEntries(), fitting, std::int64_t(table.size())});
    const unsigned char* p = bytesOf(info) + at;
    for (std::int64_t i = 0; i < given; ++i, p += entryBytes)
        table[i] = qRgb(p[2], p[1], p[0]);
    return table;
}

QImage newImage(const DibHeader& h) {
    if (!pixelCountAllowed(h.width, h.height))
        fail(QStringLiteral("画像が大きすぎます (%1×%2)").arg(h.width).arg(h.height));
    QImage image(int(h.width), int(h.height), QImage::Format_ARGB32);
    if (image.isNull())
        throw std::bad_alloc();
    return image;
}

QRgb* rowOf(QImage& image, const DibHeader& h, std::int64_t storedRow) {
    const std::int64_t y = h.topDown ? storedRow : h.height - 1 - storedRow;
    return reinterpret_cast<QRgb*>(image.scanLine(int(y)));
}

// A picture whose alpha is all zero did not mean it: it is opaque.
QImage withUsedAlpha(QImage image, bool anyAlpha) {
    if (anyAlpha)
        return image;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] |= 0xff000000u;
    }
    image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

QImage decodeIndexed(const DibHeader& h, QByteArrayView info, const unsigned char* data) {
    const QList<QRgb> table = colorTableOf(h, info);
    QImage image = newImage(h);
    const int bits = h.bitCount;
    const unsigned indexMask = (1u << bits) - 1;
    for (std::int64_t r = 0; r < h.height; ++r) {
        const unsigned char* src = data + r * h.rowBytes();
        QRgb* dst = rowOf(image, h, r);
        for (std::int64_t x = 0; x < h.width; ++x) {
            const std::int64_t bit = x * bits;
            const int shift = 8 - bits - int(bit % 8);
            dst[x] = table[(src[bit / 8] >> shift) & indexMask];
        }
    }
    image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

QImage decodeMasked(const DibHeader& h, const unsigned char* data, DibAlpha alphaRule) {
    std::uint32_t alphaMask = h.alphaMask;
    if (alphaMask == 0 && alphaRule == DibAlpha::FourthByte && h.bitCount == 32 &&
        h.compression == dib::Rgb)
        alphaMask = 0xff000000u;
    const Channel red(h.redMask), green(h.greenMask), blue(h.blueMask), alpha(alphaMask);
    QImage image = newImage(h);
    bool anyAlpha = false;
    const int bytes = h.bitCount / 8;
    for (std::int64_t r = 0; r < h.height; ++r) {
        const unsigned char* src = data + r * h.rowBytes();
        QRgb* dst = rowOf(image, h, r);
        for (std::int64_t x = 0; x < h.width; ++x, src += bytes) {
            std::uint32_t pixel = src[0] | (std::uint32_t(src[1]) << 8);
            if (bytes == 4)
                pixel |= (std::uint32_t(src[2]) << 16) | (std::uint32_t(src[3]) << 24);
            const int a = alpha.present() ? alpha(pixel) : 0;
            anyAlpha |= a != 0;
            dst[x] = qRgba(red(pixel), green(pixel), blue(pixel), a);
        }
    }
    return withUsedAlpha(std::move(image), anyAlpha);
}

QImage decodeBgr(const DibHeader& h, const unsigned char* data) {
    QImage image = newImage(h);
    for (std::int64_t r = 0; r < h.height; ++r) {
        const unsigned char* src = data + r * h.rowBytes();
        QRgb* dst = rowOf(image, h, r);
        for (std::int64_t x = 0; x < h.width; ++x, src += 3)
            dst[x] = qRgb(src[2], src[1], src[0]);
    }
    image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

// Run-length data: rows from the bottom, runs, and escapes for the end of a
// row, the end of the picture, a jump ahead (delta) and literal pixels. What
// it never reaches stays transparent; data that runs out ends the picture.
QImage decodeRunLength(const DibHeader& h, QByteArrayView info, QByteArrayView pixels) {
    const QList<QRgb> table = colorTableOf(h, info);
    QImage image = newImage(h);
    image.fill(Qt::transparent);
    const bool four = h.compression == dib::Rle4;
    const unsigned char* p = bytesOf(pixels);
    const std::int64_t size = pixels.size();
    std::int64_t x = 0;
    std::int64_t y = 0;
    auto put = [&](int index) {
        if (x < h.width && y < h.height)
            rowOf(image, h, y)[x] = table[index];
        ++x;
    };

    std::int64_t at = 0;
    while (at + 1 < size && y < h.height) {
        const int count = p[at];
        const int value = p[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? ((i & 1) ? value & 0x0f : value >> 4) : value);
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (at + 1 >= size)
                break;
            x += p[at];
            y += p[at + 1];
            at += 2;
        } else {
            const std::int64_t bytes = four ? (value + 1) / 2 : value;
            for (int i = 0; i < value; ++i) {
                const std::int64_t from = at + (four ? i / 2 : i);
                if (from >= size)
                    break;
                put(four ? ((i & 1) ? p[from] & 0x0f : p[from] >> 4) : p[from]);
            }
            at += bytes + (bytes & 1); // literal runs are padded to 16 bits
        }
    }

    bool holes = false;
    for (int row = 0; row < image.height() && !holes; ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        holes = std::any_of(line, line + image.width(), [](QRgb c) { return qAlpha(c) == 0; });
    }
    if (!holes)
        image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

QImage decodeEmbedded(const DibHeader& h, QByteArrayView pixels) {
    const QByteArray stream = QByteArray::fromRawData(pixels.data(), pixels.size());
    QBuffer buffer;
    buffer.setData(stream);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, h.compression == dib::Jpeg ? "jpeg" : "png");
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    reader.setAllocationLimit(AllocationLimitMiB);
    const QSize size = reader.size();
    if (size.isValid() && !pixelCountAllowed(size.width(), size.height()))
        fail(QStringLiteral("画像が大きすぎます (%1×%2)").arg(size.width()).arg(size.height()));
    QImage image = reader.read();
    if (image.isNull())
        fail(QStringLiteral("埋め込まれた %1 を読めません: %2")
                 .arg(h.compression == dib::Jpeg ? QStringLiteral("JPEG") : QStringLiteral("PNG"),
                      reader.errorString()));
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

} // namespace

QImage decodeDib(const DibHeader& header, QByteArrayView info, QByteArrayView pixels,
                 DibAlpha alpha) {
    if (header.isEmbeddedStream())
        return decodeEmbedded(header, pixels);
    if (header.compression == dib::Rle8 || header.compression == dib::Rle4)
        return decodeRunLength(header, info, pixels);
    if (header.uncompressedPixelBytes() > pixels.size())
        throw EInvalidGraphic(QStringLiteral("ビットマップが途中で切れています"));
    const unsigned char* data = bytesOf(pixels);
    switch (header.bitCount) {
    case 16:
    case 32:
        return decodeMasked(header, data, alpha);
    case 24:
        return decodeBgr(header, data);
    default:
        return decodeIndexed(header, info, data);
    }
}

QImage readDib(QByteArrayView info, QByteArrayView pixels, DibAlpha alpha) {
    QString reason;
    const auto header = parseDibHeader(info, &reason);
    if (!header)
        fail(reason);
    return decodeDib(*header, info, pixels, alpha);
}

} // namespace graphics
