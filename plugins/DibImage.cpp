#include "plugins/DibImage.h"

#include "graphics/DibReader.h"
#include "plugins/PluginHandle.h"

#include <QList>
#include <algorithm>
#include <cstring>

namespace plugins {
namespace {

constexpr qint64 InfoHeaderBytes = 40;
constexpr qint64 FileHeaderBytes = 14;

std::optional<DibLayout> reject(QString* error, const QString& reason) {
    if (error)
        *error = reason;
    return std::nullopt;
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
    case 8:
        return QImage::Format_Indexed8;
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
    } else {
        // Run-length data and JPEG or PNG streams have no size but the header's.
        layout.pixelBytes = header->imageSize;
        if (layout.pixelBytes == 0)
            return reject(error, QStringLiteral("圧縮データの大きさがありません"));
    }
    if (layout.pixelBytes > bits.size)
        return reject(error, QStringLiteral("画素データが足りません"));
    return layout;
}

bool isPlainDib(const DibLayout& layout) {
    return layout.header.compression == graphics::dib::Rgb;
}

QImage imageFromPlainDib(const DibLayout& layout, DibBlock info, DibBlock bits) {
    try {
        return graphics::decodeDib(layout.header,
                                   info.view().first(layout.colorTableAt + layout.colorTableBytes),
                                   bits.view(), graphics::DibAlpha::FourthByte);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QImage adoptPlainDib(const DibLayout& layout, DibBlock info, PluginHandle& bits) {
    const graphics::DibHeader& h = layout.header;
    // Only pixels Qt takes as they are stay in the handle; the others are
    // converted by the bitmap reader.
    if (h.bitCount != 1 && h.bitCount != 8 && h.bitCount != 24 && h.bitCount != 32)
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
    QImage::Format format = formatOf(h.bitCount);
    if (h.bitCount == 32) {
        // As in the bitmap reader: a fourth byte that is not zero anywhere is
        // alpha; where all are zero it is unused and the picture is opaque.
        bool anyAlpha = false;
        for (qint64 y = 0; y < height && !anyAlpha; ++y)
            for (int x = 0; x < width && !anyAlpha; ++x)
                anyAlpha = data[y * rowBytes + 4 * x + 3] != 0;
        if (anyAlpha) {
            format = QImage::Format_ARGB32;
        } else {
            for (qint64 y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    data[y * rowBytes + 4 * x + 3] = 0xff;
        }
    }

    QImage image(data, width, height, rowBytes, format, &freeAdoptedHandle, handle);
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
