#include "graphics/EmfBitmaps.h"

#include "graphics/EmfRewrite.h"
#include "graphics/LittleEndian.h"
#include "graphics/PictureLimits.h"

#include <QImage>
#include <QList>
#include <cstdint>
#include <limits>
#include <optional>

namespace graphics {
namespace {

constexpr std::uint32_t EmrStretchDiBits = 81;
constexpr std::uint32_t EmrEof = 14;
constexpr qint64 StretchHeaderBytes = 80;
constexpr qint64 InfoHeaderBytes = 40;
constexpr std::uint32_t SrcCopy = 0x00CC0020;
constexpr std::uint32_t SrcPaint = 0x00EE0086;
constexpr std::uint32_t SrcAnd = 0x008800C6;
// Larger embedded bitmaps are left to the converter as they are.
constexpr qint64 MaxBitmapPixels = qint64(MaxRenderedSide) * MaxRenderedSide;

enum Compression : std::uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, Jpeg = 4, Png = 5 };

struct Record {
    qint64 at;
    std::uint32_t type;
    qint64 size;
};

std::uint32_t u32(QByteArrayView bytes, qint64 at) {
    return readU32(bytes, at).value_or(0);
}

// Pixels of an RLE bitmap; what the codes skip stays transparent.
void decodeRle(QByteArrayView bits, bool fourBit, const QList<QRgb>& palette, QImage& image) {
    const int w = image.width();
    const int h = image.height();
    int x = 0;
    int y = 0; // counted from the bottom row
    const auto colour = [&](int index) {
        return index < palette.size() ? palette[index] : qRgb(0, 0, 0);
    };
    const auto put = [&](int index) {
        if (x < w && y < h)
            reinterpret_cast<QRgb*>(image.scanLine(h - 1 - y))[x] = colour(index);
        ++x;
    };
    qint64 i = 0;
    while (i + 1 < bits.size() && y < h) {
        const int count = std::uint8_t(bits[i]);
        const int code = std::uint8_t(bits[i + 1]);
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k)
                put(fourBit ? (k % 2 == 0 ? code >> 4 : code & 0x0f) : code);
        } else if (code == 0) {
            x = 0;
            ++y;
        } else if (code == 1) {
            return;
        } else if (code == 2) {
            if (i + 1 >= bits.size())
                return;
            x += std::uint8_t(bits[i]);
            y += std::uint8_t(bits[i + 1]);
            i += 2;
        } else {
            const qint64 dataBytes = fourBit ? (code + 1) / 2 : code;
            if (i + dataBytes > bits.size())
                return;
            for (int k = 0; k < code; ++k) {
                const int byte = std::uint8_t(bits[i + (fourBit ? k / 2 : k)]);
                put(fourBit ? (k % 2 == 0 ? byte >> 4 : byte & 0x0f) : byte);
            }
            i += dataBytes + (dataBytes % 2);
        }
    }
}

// The bitmap of a StretchDIBits record, top row first; nullopt when it is of
// a kind not read here.
std::optional<QImage> decodeBitmap(QByteArrayView record) {
    const qint64 offBmi = u32(record, 48);
    const qint64 cbBmi = u32(record, 52);
    const qint64 offBits = u32(record, 56);
    const qint64 cbBits = u32(record, 60);
    if (u32(record, 64) != 0 || cbBmi < InfoHeaderBytes || offBmi + cbBmi > record.size() ||
        offBits + cbBits > record.size())
        return std::nullopt; // palette indices into the drawing's palette: not here
    const QByteArrayView info = record.sliced(offBmi, cbBmi);
    const qint64 headerBytes = u32(info, 0);
    const qint64 width = *readI32(info, 4);
    const qint64 signedHeight = *readI32(info, 8);
    const int bitCount = *readU16(info, 14);
    const std::uint32_t compression = u32(info, 16);
    const qint64 height = signedHeight < 0 ? -signedHeight : signedHeight;
    const bool topDown = signedHeight < 0;
    if (headerBytes < InfoHeaderBytes || headerBytes > cbBmi || width < 1 || height < 1 ||
        width * height > MaxBitmapPixels)
        return std::nullopt;
    const QByteArrayView bits = record.sliced(offBits, cbBits);

    if (compression == Jpeg || compression == Png) {
        QImage image;
        if (!image.loadFromData(bits, compression == Jpeg ? "JPEG" : "PNG"))
            return std::nullopt;
        return image.convertToFormat(QImage::Format_ARGB32);
    }

    QList<QRgb> palette;
    if (bitCount <= 8) {
        const qint64 used = u32(info, 32);
        const qint64 count = used > 0 && used <= (1 << bitCount) ? used : (qint64(1) << bitCount);
        for (qint64 k = 0; k < count && headerBytes + 4 * k + 4 <= cbBmi; ++k) {
            const std::uint32_t c = u32(info, headerBytes + 4 * k);
            palette.append(qRgb(int((c >> 16) & 0xff), int((c >> 8) & 0xff), int(c & 0xff)));
        }
    }
    QImage image(int(width), int(height), QImage::Format_ARGB32);
    if (image.isNull())
        return std::nullopt;
    image.fill(Qt::transparent);

    if ((compression == Rle8 && bitCount == 8) || (compression == Rle4 && bitCount == 4)) {
        if (topDown)
            return std::nullopt;
        decodeRle(bits, compression == Rle4, palette, image);
        return image;
    }
    if (compression != Rgb ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32))
        return std::nullopt;
    const qint64 stride = (width * bitCount + 31) / 32 * 4;
    if (stride * height > cbBits)
        return std::nullopt;
    for (qint64 row = 0; row < height; ++row) {
        const qint64 y = topDown ? row : height - 1 - row;
        const char* in = bits.data() + row * stride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        for (qint64 x = 0; x < width; ++x) {
            if (bitCount == 24 || bitCount == 32) {
                const auto* p = reinterpret_cast<const std::uint8_t*>(in + x * (bitCount / 8));
                out[x] = qRgb(p[2], p[1], p[0]);
                continue;
            }
            const int perByte = 8 / bitCount;
            const int byte = std::uint8_t(in[x / perByte]);
            const int shift = 8 - bitCount * (int(x % perByte) + 1);
            const int index = (byte >> shift) & ((1 << bitCount) - 1);
            out[x] = index < palette.size() ? palette[index] : qRgb(0, 0, 0);
        }
    }
    return image;
}

// A StretchDIBits record like `model` that draws `image` (32-bit, with alpha).
QByteArray stretchRecord(QByteArrayView model, const QImage& image, std::uint32_t rop) {
    const qint64 pixelBytes = qint64(image.width()) * image.height() * 4;
    QByteArray out(model.first(StretchHeaderBytes).toByteArray());
    out.resize(StretchHeaderBytes + InfoHeaderBytes + pixelBytes);
    const auto at = [&](qint64 offset, std::uint32_t value) { putU32(out, offset, value); };
    at(4, std::uint32_t(out.size()));
    at(48, StretchHeaderBytes);
    at(52, InfoHeaderBytes);
    at(56, StretchHeaderBytes + InfoHeaderBytes);
    at(60, std::uint32_t(pixelBytes));
    at(64, 0);
    at(68, rop);
    const qint64 info = StretchHeaderBytes;
    at(info, InfoHeaderBytes);
    at(info + 4, std::uint32_t(image.width()));
    at(info + 8, std::uint32_t(image.height()));
    at(info + 12, 1 | (32u << 16)); // planes, bit count
    for (qint64 k = 16; k < InfoHeaderBytes; k += 4)
        at(info + k, 0);
    at(info + 20, std::uint32_t(pixelBytes));
    char* pixels = out.data() + StretchHeaderBytes + InfoHeaderBytes;
    for (int row = 0; row < image.height(); ++row) {
        const auto* in =
            reinterpret_cast<const QRgb*>(image.constScanLine(image.height() - 1 - row));
        for (int x = 0; x < image.width(); ++x) {
            char* p = pixels + (qint64(row) * image.width() + x) * 4;
            p[0] = char(qBlue(in[x]));
            p[1] = char(qGreen(in[x]));
            p[2] = char(qRed(in[x]));
            p[3] = char(qAlpha(in[x]));
        }
    }
    return out;
}

bool sameDestination(QByteArrayView a, QByteArrayView b) {
    for (qint64 offset : {24, 28, 72, 76, 40, 44}) {
        if (u32(a, offset) != u32(b, offset))
            return false;
    }
    return true;
}

bool needsRewrite(QByteArrayView record) {
    const qint64 offBmi = u32(record, 48);
    const std::uint32_t compression = u32(record, offBmi + 16);
    return compression == Rle8 || compression == Rle4 || compression == Jpeg || compression == Png;
}

// The mask and the image, as one bitmap with alpha. The pair draws
// (paper OR mask) AND image: where the mask is white the image shows as it
// is; where it is black the paper shows through the image's white parts.
// A grey mask over white image lightens the paper (a highlight drawn this
// way): white laid over it at the grey's strength comes close.
// Transparent pixels are white too, for a reader that drops the alpha.
std::optional<QImage> maskedImage(QByteArrayView maskRecord, QByteArrayView imageRecord) {
    const auto mask = decodeBitmap(maskRecord);
    auto image = decodeBitmap(imageRecord);
    if (!mask || !image || mask->size() != image->size())
        return std::nullopt;
    for (int y = 0; y < image->height(); ++y) {
        const auto* m = reinterpret_cast<const QRgb*>(mask->constScanLine(y));
        auto* p = reinterpret_cast<QRgb*>(image->scanLine(y));
        for (int x = 0; x < image->width(); ++x) {
            const bool whiteImage = (p[x] & 0x00ffffffu) == 0x00ffffffu;
            if (whiteImage)
                p[x] = qRgba(255, 255, 255, qAlpha(m[x]) != 0 ? qGray(m[x]) : 0);
            else
                p[x] |= 0xff000000u;
        }
    }
    return image;
}

} // namespace

QByteArray emfWithPlainBitmaps(const QByteArray& bytes) {
    QList<Record> records;
    for (qint64 at = 0; at + 8 <= bytes.size();) {
        const std::optional<EmfRecord> next = emfRecordAt(bytes, at);
        if (!next)
            return bytes;
        const Record r{at, next->type, next->bytes.size()};
        records.append(r);
        if (r.type == EmrEof)
            break;
        at += r.size;
    }

    QByteArray out;
    bool changed = false;
    qint64 removed = 0;
    qint64 end = 0;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        const QByteArrayView record = QByteArrayView(bytes).sliced(r.at, r.size);
        end = r.at + r.size;
        if (r.type == EmrStretchDiBits && r.size >= StretchHeaderBytes) {
            const std::uint32_t rop = u32(record, 68);
            if (rop == SrcPaint && i + 1 < records.size() &&
                records[i + 1].type == EmrStretchDiBits &&
                records[i + 1].size >= StretchHeaderBytes) {
                const Record& next = records[i + 1];
                const QByteArrayView second = QByteArrayView(bytes).sliced(next.at, next.size);
                if (u32(second, 68) == SrcAnd && sameDestination(record, second)) {
                    if (const auto merged = maskedImage(record, second)) {
                        out += stretchRecord(second, *merged, SrcCopy);
                        changed = true;
                        ++removed;
                        ++i;
                        end = next.at + next.size;
                        continue;
                    }
                }
            }
            if (needsRewrite(record)) {
                if (const auto image = decodeBitmap(record)) {
                    out += stretchRecord(record, *image, rop);
                    changed = true;
                    continue;
                }
            }
        }
        out += record.toByteArray();
    }
    if (!changed)
        return bytes;
    return finishedEmf(std::move(out), bytes, end, -qint64(removed));
}

} // namespace graphics
