#include "graphics/MetafileRecords.h"

#include "graphics/DibHeader.h"
#include "graphics/GraphicErrors.h"
#include "graphics/LittleEndian.h"
#include "graphics/PictureLimits.h"

namespace graphics {
namespace {

constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr qint64 PlaceableBytes = 22;
constexpr qint64 WmfHeaderBytes = 18;
constexpr std::uint32_t EmfSignature = 0x464D4520; // " EMF"
constexpr qint64 EmfMinHeaderBytes = 88;
constexpr std::uint32_t EmrHeader = 1;
constexpr std::uint32_t EmrEof = 14;

[[noreturn]] void corrupt(const QString& reason) {
    throw EInvalidGraphic(QStringLiteral("メタファイルが壊れています: %1").arg(reason));
}

[[noreturn]] void truncated() {
    throw EInvalidGraphic(QStringLiteral("メタファイルが途中で切れています"));
}

bool isWmfHeader(QByteArrayView bytes, qint64 at) {
    const auto type = readU16(bytes, at);
    const auto headerWords = readU16(bytes, at + 2);
    const auto version = readU16(bytes, at + 4);
    return type && headerWords && version && (*type == 1 || *type == 2) && *headerWords == 9 &&
           (*version == 0x0100 || *version == 0x0300);
}

// The packed DIB of a WMF bitmap record starts at a fixed word after the
// function number; records without one (a size too small for the header) pass.
void checkWmfBitmapRecord(QByteArrayView record, std::uint16_t function) {
    qint64 dibAt = -1;
    switch (function) {
    case 0x0F43:
        dibAt = 6 + 2 * 11;
        break; // StretchDIB
    case 0x0B41:
        dibAt = 6 + 2 * 10;
        break; // DIBStretchBlt
    case 0x0940:
        dibAt = 6 + 2 * 8;
        break; // DIBBitBlt
    case 0x0D33:
        dibAt = 6 + 2 * 9;
        break;   // SetDIBToDev
    case 0x0142: // DIBCreatePatternBrush; its BS_PATTERN form holds an old-style bitmap
        if (readU16(record, 6) == 3)
            return;
        dibAt = 6 + 2 * 2;
        break;
    default:
        return;
    }
    // The blit records have a form without a bitmap, one word longer in its
    // parameters than the size of the header would allow: nothing to check.
    if (record.size() < dibAt + 12)
        return;
    // Windows reads a core header (12 bytes) or an info header of 40 bytes or
    // more; libwmf spins without end on the shorter OS/2 ones.
    const std::uint32_t headerBytes = *readU32(record, dibAt);
    if ((headerBytes != 12 && headerBytes < 40) || !isPackedDibSound(record.sliced(dibAt)))
        corrupt(QStringLiteral("埋め込まれたビットマップが不正です"));
}

// EMF records that carry a bitmap, with the offset of their first
// (offBmi, cbBmi, offBits, cbBits) group.
qint64 emfBitmapFieldsAt(std::uint32_t type) {
    switch (type) {
    case 76:  // BitBlt
    case 77:  // StretchBlt
    case 78:  // MaskBlt
    case 114: // AlphaBlend
    case 116: // TransparentBlt
        return 84;
    case 80: // SetDIBitsToDevice
    case 81: // StretchDIBits
        return 48;
    case 93: // CreateMonoBrush
    case 94: // CreateDIBPatternBrushPt
        return 16;
    default:
        return -1;
    }
}

void checkEmfBitmapRecord(QByteArrayView record, std::uint32_t type) {
    const qint64 at = emfBitmapFieldsAt(type);
    if (at < 0)
        return;
    if (record.size() < at + 16)
        corrupt(QStringLiteral("ビットマップのレコードが短すぎます"));
    const std::int64_t offBmi = *readU32(record, at);
    const std::int64_t cbBmi = *readU32(record, at + 4);
    const std::int64_t offBits = *readU32(record, at + 8);
    const std::int64_t cbBits = *readU32(record, at + 12);
    if (cbBmi == 0)
        return; // a blit with no source bitmap (a pattern fill)
    if (offBmi + cbBmi > record.size() || offBits + cbBits > record.size())
        corrupt(QStringLiteral("ビットマップがレコードの外にあります"));
    // A JPEG or PNG bitmap has bit count 0 and its own header among the bits.
    const auto bitCount = readU16(record, offBmi + 14);
    const auto compression = readU32(record, offBmi + 16);
    if (cbBmi >= 40 && bitCount == 0 && compression && (*compression == 4 || *compression == 5)) {
        if (cbBits == 0)
            corrupt(QStringLiteral("埋め込まれたビットマップが空です"));
        return;
    }
    const auto header = parseDibHeader(record.sliced(offBmi, cbBmi), nullptr);
    if (!header)
        corrupt(QStringLiteral("埋め込まれたビットマップが不正です"));
    // SetDIBitsToDevice may carry only some of the scan lines.
    if (type != 80 && header->isUncompressed() && header->uncompressedPixelBytes() > cbBits)
        corrupt(QStringLiteral("埋め込まれたビットマップが途中で切れています"));
}

} // namespace

MetafileKind detectMetafile(QByteArrayView bytes) {
    if (readU32(bytes, 0) == EmrHeader && readU32(bytes, 40) == EmfSignature)
        return MetafileKind::Emf;
    if (readU32(bytes, 0) == PlaceableKey || isWmfHeader(bytes, 0))
        return MetafileKind::Wmf;
    return MetafileKind::None;
}

WmfLayout checkWmf(QByteArrayView bytes) {
    WmfLayout layout;
    qint64 at = 0;
    qint64 unitsPerInch = 0;
    if (readU32(bytes, 0) == PlaceableKey) {
        if (bytes.size() < PlaceableBytes + WmfHeaderBytes)
            truncated();
        layout.placeable = true;
        const qint64 left = *readI16(bytes, 6);
        const qint64 top = *readI16(bytes, 8);
        const qint64 right = *readI16(bytes, 10);
        const qint64 bottom = *readI16(bytes, 12);
        unitsPerInch = *readU16(bytes, 14);
        if (unitsPerInch == 0)
            corrupt(QStringLiteral("解像度が 0 です"));
        const qint64 w = right > left ? right - left : left - right;
        const qint64 h = bottom > top ? bottom - top : top - bottom;
        if (w == 0 || h == 0)
            corrupt(QStringLiteral("画像の大きさが 0 です"));
        layout.naturalSize = QSizeF(double(w) * ScreenDpi / double(unitsPerInch),
                                    double(h) * ScreenDpi / double(unitsPerInch));
        layout.placeableBox = QRect(QPoint(int(std::min(left, right)), int(std::min(top, bottom))),
                                    QSize(int(w), int(h)));
        at = PlaceableBytes;
    }
    if (bytes.size() < at + WmfHeaderBytes)
        truncated();
    if (!isWmfHeader(bytes, at))
        corrupt(QStringLiteral("ヘッダーが不正です"));
    at += WmfHeaderBytes;

    for (;;) {
        const auto words = readU32(bytes, at);
        const auto function = readU16(bytes, at + 4);
        if (!words || !function)
            truncated();
        if (*words < 3)
            corrupt(QStringLiteral("レコードの大きさが不正です"));
        const qint64 recordBytes = qint64(*words) * 2;
        if (recordBytes > bytes.size() - at)
            truncated();
        ++layout.recordCount;
        if (*function == 0x0000)
            break;
        checkWmfBitmapRecord(bytes.sliced(at, recordBytes), *function);
        at += recordBytes;
    }
    return layout;
}

EmfLayout checkEmf(QByteArrayView bytes) {
    if (bytes.size() < EmfMinHeaderBytes)
        truncated();
    if (readU32(bytes, 0) != EmrHeader || readU32(bytes, 40) != EmfSignature)
        corrupt(QStringLiteral("ヘッダーが不正です"));
    const std::uint32_t headerBytes = *readU32(bytes, 4);
    if (headerBytes < EmfMinHeaderBytes || headerBytes % 4 != 0)
        corrupt(QStringLiteral("ヘッダーの大きさが不正です"));

    EmfLayout layout;
    // The frame is the picture's extent in hundredths of a millimetre; some
    // writers leave it empty, and then the bounds in device pixels stand in.
    const double frameW = double(*readI32(bytes, 32)) - double(*readI32(bytes, 24));
    const double frameH = double(*readI32(bytes, 36)) - double(*readI32(bytes, 28));
    const double boundsW = double(*readI32(bytes, 16)) - double(*readI32(bytes, 8)) + 1.0;
    const double boundsH = double(*readI32(bytes, 20)) - double(*readI32(bytes, 12)) + 1.0;
    if (frameW > 0 && frameH > 0)
        layout.naturalSize = QSizeF(frameW * ScreenDpi / 2540.0, frameH * ScreenDpi / 2540.0);
    else if (boundsW > 1 && boundsH > 1)
        layout.naturalSize = QSizeF(boundsW, boundsH);
    else
        corrupt(QStringLiteral("画像の大きさが不正です"));
    layout.bounds = QRect(QPoint(*readI32(bytes, 8), *readI32(bytes, 12)),
                          QPoint(*readI32(bytes, 16), *readI32(bytes, 20)));
    const double devicePixelsX = *readI32(bytes, 72);
    const double devicePixelsY = *readI32(bytes, 76);
    const double millimetresX = *readI32(bytes, 80);
    const double millimetresY = *readI32(bytes, 84);
    if (frameW > 0 && frameH > 0 && devicePixelsX > 0 && devicePixelsY > 0 && millimetresX > 0 &&
        millimetresY > 0) {
        // Hundredths of a millimetre per device pixel.
        const double perPixelX = millimetresX * 100.0 / devicePixelsX;
        const double perPixelY = millimetresY * 100.0 / devicePixelsY;
        layout.hundredthsPerDevicePixelX = perPixelX;
        layout.frameInDevice =
            QRectF(*readI32(bytes, 24) / perPixelX, *readI32(bytes, 28) / perPixelY,
                   frameW / perPixelX, frameH / perPixelY);
    }

    qint64 at = 0;
    for (;;) {
        const auto type = readU32(bytes, at);
        const auto size = readU32(bytes, at + 4);
        if (!type || !size)
            truncated();
        if (*size < 8 || *size % 4 != 0)
            corrupt(QStringLiteral("レコードの大きさが不正です"));
        if (qint64(*size) > bytes.size() - at)
            truncated();
        if (at > 0 && *type == EmrHeader)
            corrupt(QStringLiteral("ヘッダーが二つあります"));
        ++layout.recordCount;
        if (*type == EmrEof)
            return layout;
        checkEmfBitmapRecord(bytes.sliced(at, *size), *type);
        at += *size;
    }
}

} // namespace graphics
