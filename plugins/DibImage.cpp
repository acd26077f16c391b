#include "plugins/DibImage.h"

#include "plugins/PluginHandle.h"

#include <QList>
#include <algorithm>
#include <cstring>

namespace plugins {
namespace {

constexpr std::uint32_t BiRgb = 0;
constexpr std::uint32_t BiRle8 = 1;
constexpr std::uint32_t BiRle4 = 2;
constexpr qint64 InfoHeaderBytes = 40;
constexpr qint64 FileHeaderBytes = 14;

std::optional<DibLayout> reject(QString* error, const QString& reason) {
    if (error)
        *error = reason;
    return std::nullopt;
}

std::uint32_t readU32At(const unsigned char* p, qint64 at) {
    return std::uint32_t(p[at]) | (std::uint32_t(p[at + 1]) << 8) |
           (std::uint32_t(p[at + 2]) << 16) | (std::uint32_t(p[at + 3]) << 24);
}

void putU16(QByteArray& out, qint64 at, std::uint16_t v) {
    out[at] = char(v & 0xff);
    out[at + 1] = char(v >> 8);
}

void putU32(QByteArray& out, qint64 at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = char((v >> (8 * i)) & 0xff);
}

// The colour table as Qt wants it: every index the pixels can hold gets an
// entry, missing ones black, so no pixel ever indexes past the table.
QList<QRgb> colorTableOf(const DibLayout& layout, DibBlock info) {
    const int entries = 1 << layout.header.bitCount;
    QList<QRgb> table(entries, qRgb(0, 0, 0));
    const qint64 given = std::min<qint64>(layout.colorTableBytes / 4, entries);
    const unsigned char* p = info.data + layout.colorTableAt;
    for (qint64 i = 0; i < given; ++i)
        table[i] = qRgb(p[4 * i + 2], p[4 * i + 1], p[4 * i]);
    return table;
}

qint64 rowBytesOf(const graphics::DibHeader& h) {
    return ((h.width * h.bitCount + 31) / 32) * 4;
}

QImage::Format formatOf(int bitCount) {
    switch (bitCount) {
    case 1:
        return QImage::Format_Mono;
    case 4:
    case 8:
        return QImage::Format_Indexed8;
    case 16:
        return QImage::Format_RGB555;
    case 24:
        return QImage::Format_BGR888;
    default:
        return QImage::Format_RGB32;
    }
}

void freeAdoptedHandle(void* handle) {
    LocalFree(static_cast<HLOCAL>(handle));
}

} // namespace

std::optional<DibLayout> checkDib(DibBlock info, DibBlock bits, QString* error) {
    if (!info.data || info.size < InfoHeaderBytes)
        return reject(error, QStringLiteral("ビットマップ情報が短すぎます"));
    if (!bits.data || bits.size <= 0)
        return reject(error, QStringLiteral("画素データがありません"));
    QString reason;
    const auto header = graphics::parseDibHeader(info.view(), &reason);
    if (!header)
        return reject(error, reason);
    if (header->headerSize < InfoHeaderBytes || header->headerSize > info.size)
        return reject(error, QStringLiteral("ビットマップ情報ヘッダーの大きさが不正です"));

    DibLayout layout;
    layout.header = *header;
    layout.colorTableAt = header->headerSize;
    layout.colorTableBytes = header->colorTableBytes();
    if (layout.colorTableAt + layout.colorTableBytes > info.size)
        return reject(error, QStringLiteral("色表がビットマップ情報の外にあります"));

    if (header->isUncompressed()) {
        layout.pixelBytes = header->uncompressedPixelBytes();
    } else if ((header->compression == BiRle8 && header->bitCount == 8) ||
               (header->compression == BiRle4 && header->bitCount == 4)) {
        // Run-length data has no size of its own but the header's.
        layout.pixelBytes = readU32At(info.data, 20);
        if (layout.pixelBytes == 0)
            return reject(error, QStringLiteral("圧縮データの大きさがありません"));
    } else {
        return reject(error, QStringLiteral("扱えない圧縮形式です (%1)").arg(header->compression));
    }
    if (layout.pixelBytes > bits.size)
        return reject(error, QStringLiteral("画素データが足りません"));
    return layout;
}

bool isPlainDib(const DibLayout& layout) {
    return layout.header.compression == BiRgb;
}

QImage imageFromPlainDib(const DibLayout& layout, DibBlock info, DibBlock bits) {
    const graphics::DibHeader& h = layout.header;
    const int width = int(h.width);
    const int height = int(h.height);
    const qint64 rowBytes = rowBytesOf(h);
    auto sourceRow = [&](int y) {
        const qint64 row = h.topDown ? y : height - 1 - y;
        return bits.data + row * rowBytes;
    };

    QImage image(width, height, formatOf(h.bitCount));
    if (image.isNull())
        return {};
    if (h.bitCount <= 8)
        image.setColorTable(colorTableOf(layout, info));

    const qint64 copyBytes = std::min<qint64>(rowBytes, image.bytesPerLine());
    for (int y = 0; y < height; ++y) {
        const unsigned char* src = sourceRow(y);
        uchar* dst = image.scanLine(y);
        switch (h.bitCount) {
        case 4:
            for (int x = 0; x < width; ++x)
                dst[x] = (x & 1) ? (src[x / 2] & 0x0f) : (src[x / 2] >> 4);
            break;
        case 16: {
            // The top bit is unused in 5-5-5 pixels; Qt wants it clear.
            auto* out = reinterpret_cast<quint16*>(dst);
            for (int x = 0; x < width; ++x)
                out[x] = quint16((src[2 * x] | (src[2 * x + 1] << 8)) & 0x7fff);
            break;
        }
        case 32: {
            // The fourth byte is unused in plain 32-bit pixels; Qt wants it opaque.
            auto* out = reinterpret_cast<quint32*>(dst);
            for (int x = 0; x < width; ++x)
                out[x] = 0xff000000u | readU32At(src, 4 * qint64(x));
            break;
        }
        default:
            std::memcpy(dst, src, std::size_t(copyBytes));
            break;
        }
    }
    return image;
}

QImage adoptPlainDib(const DibLayout& layout, DibBlock info, PluginHandle& bits) {
    const graphics::DibHeader& h = layout.header;
    if (h.bitCount == 4)
        return imageFromPlainDib(layout, info, bits.block());

    const int width = int(h.width);
    const int height = int(h.height);
    const qint64 rowBytes = rowBytesOf(h);
    // The handle is ours now; blocks never move, so its memory stays put.
    HLOCAL handle = bits.get();
    auto* data = static_cast<unsigned char*>(LocalLock(handle));
    LocalUnlock(handle);
    if (!data)
        return {};

    if (!h.topDown) {
        for (qint64 top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(data + top * rowBytes, data + (top + 1) * rowBytes,
                             data + bottom * rowBytes);
    }
    if (h.bitCount == 16 || h.bitCount == 32) {
        for (qint64 y = 0; y < height; ++y) {
            unsigned char* row = data + y * rowBytes;
            if (h.bitCount == 16) {
                // The top bit is unused in 5-5-5 pixels; Qt wants it clear.
                for (int x = 0; x < width; ++x)
                    row[2 * x + 1] &= 0x7f;
            } else {
                // The fourth byte is unused in plain 32-bit pixels; Qt wants it opaque.
                for (int x = 0; x < width; ++x)
                    row[4 * x + 3] = 0xff;
            }
        }
    }

    QImage image(data, width, height, rowBytes, formatOf(h.bitCount), &freeAdoptedHandle, handle);
    if (image.isNull())
        return {};
    (void)bits.release();
    if (h.bitCount <= 8)
        image.setColorTable(colorTableOf(layout, info));
    return image;
}

QByteArray bmpFileFromDib(const DibLayout& layout, DibBlock info, DibBlock bits) {
    const qint64 headerBytes = layout.colorTableAt + layout.colorTableBytes;
    const qint64 fileBytes = FileHeaderBytes + headerBytes + layout.pixelBytes;
    QByteArray file(qsizetype(fileBytes), Qt::Uninitialized);
    file[0] = 'B';
    file[1] = 'M';
    putU32(file, 2, std::uint32_t(fileBytes));
    putU16(file, 6, 0);
    putU16(file, 8, 0);
    putU32(file, 10, std::uint32_t(FileHeaderBytes + headerBytes));
    std::memcpy(file.data() + FileHeaderBytes, info.data, std::size_t(headerBytes));
    std::memcpy(file.data() + FileHeaderBytes + headerBytes, bits.data,
                std::size_t(layout.pixelBytes));
    return file;
}

} // namespace plugins
