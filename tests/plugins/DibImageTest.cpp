// Building pictures from plug-in bitmaps held in blocks of exact size, so an
// address checker catches any read past them.

#include "plugins/DibImage.h"

#include "graphics/BitmapPicture.h"
#include "plugins/PluginHandle.h"
#include "sdk/sorteka_spi.h"

#include <QByteArray>
#include <QColor>
#include <QtEndian>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

using plugins::DibBlock;

// A block of exactly `bytes`, freed with the object.
class Block {
public:
    explicit Block(const QByteArray& bytes)
        : handle_(LocalAlloc(LMEM_FIXED, size_t(bytes.size()))) {
        auto* p = static_cast<unsigned char*>(LocalLock(handle_));
        std::memcpy(p, bytes.constData(), size_t(bytes.size()));
        block_ = {p, bytes.size()};
    }
    ~Block() {
        LocalUnlock(handle_);
        LocalFree(handle_);
    }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    [[nodiscard]] DibBlock block() const { return block_; }

private:
    HLOCAL handle_;
    DibBlock block_;
};

QByteArray infoHeader(int width, int height, int bitCount, std::uint32_t compression = 0,
                      std::uint32_t colorsUsed = 0, std::uint32_t sizeImage = 0) {
    SpiBitmapInfoHeader h{};
    h.size = 40;
    h.width = width;
    h.height = height;
    h.planes = 1;
    h.bit_count = std::uint16_t(bitCount);
    h.compression = compression;
    h.size_image = sizeImage;
    h.colors_used = colorsUsed;
    return QByteArray(reinterpret_cast<const char*>(&h), sizeof h);
}

QByteArray colours(std::initializer_list<QRgb> table) {
    QByteArray out;
    for (QRgb c : table)
        out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    return out;
}

// Rows given top row first; stored bottom-up unless topDown.
QByteArray rows(const std::vector<QByteArray>& topFirst, bool topDown) {
    QByteArray out;
    if (topDown) {
        for (const QByteArray& row : topFirst)
            out.append(row);
    } else {
        for (auto it = topFirst.rbegin(); it != topFirst.rend(); ++it)
            out.append(*it);
    }
    return out;
}

// Decodes through the copying path or, with `adopt`, on the pixel handle itself.
QImage decode(const QByteArray& info, const QByteArray& bits, bool adopt) {
    const Block infoBlock(info);
    plugins::PluginHandle bitsHandle(LocalAlloc(LMEM_FIXED, size_t(bits.size())));
    std::memcpy(LocalLock(bitsHandle.get()), bits.constData(), size_t(bits.size()));
    LocalUnlock(bitsHandle.get());
    const DibBlock bitsBlock = bitsHandle.lock();
    QString error;
    const auto layout = plugins::checkDib(infoBlock.block(), bitsBlock, &error);
    EXPECT_TRUE(layout.has_value()) << error.toStdString();
    if (!layout || !plugins::isPlainDib(*layout))
        return {};
    if (adopt)
        return plugins::adoptPlainDib(*layout, infoBlock.block(), bitsHandle);
    return plugins::imageFromPlainDib(*layout, infoBlock.block(), bitsBlock);
}

const QRgb red = qRgb(255, 0, 0);
const QRgb green = qRgb(0, 255, 0);
const QRgb blue = qRgb(0, 0, 255);
const QRgb white = qRgb(255, 255, 255);
const QRgb black = qRgb(0, 0, 0);

void expectPixels(const QImage& image, const std::vector<std::vector<QRgb>>& expected) {
    ASSERT_EQ(image.height(), int(expected.size()));
    for (int y = 0; y < image.height(); ++y) {
        ASSERT_EQ(image.width(), int(expected[y].size()));
        for (int x = 0; x < image.width(); ++x)
            EXPECT_EQ(QColor(image.pixel(x, y)), QColor(expected[y][x])) << x << "," << y;
    }
}

TEST(DibImage, EveryPlainBitCountBottomUpAndTopDownCopiedOrAdopted) {
    const size_t handles = SpiLiveHandleCount();
    for (const bool adopt : {false, true}) {
        for (const bool topDown : {false, true}) {
            SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
            SCOPED_TRACE(adopt ? "adopted" : "copied");
            const int h = topDown ? -2 : 2;

            // 24 bits, 3 wide: rows of 9 bytes padded to 12.
            const QByteArray top24 =
                QByteArray("\x00\x00\xff\x00\xff\x00\xff\x00\x00", 9) + QByteArray(3, 0);
            const QByteArray bottom24 =
                QByteArray("\xff\xff\xff\x00\x00\x00\xff\x00\x00", 9) + QByteArray(3, 0);
            expectPixels(decode(infoHeader(3, h, 24), rows({top24, bottom24}, topDown), adopt),
                         {{red, green, blue}, {white, black, blue}});

            // 32 bits with the unused byte left 0: still opaque.
            const QByteArray top32("\x00\x00\xff\x00\x00\xff\x00\x00", 8);
            const QByteArray bottom32("\xff\x00\x00\x00\xff\xff\xff\x00", 8);
            const QImage image32 =
                decode(infoHeader(2, h, 32), rows({top32, bottom32}, topDown), adopt);
            expectPixels(image32, {{red, green}, {blue, white}});
            EXPECT_EQ(qAlpha(image32.pixel(0, 0)), 255);

            // 16 bits 5-5-5 with the unused top bit set: red, green / blue, white.
            const QByteArray top16("\x00\xfc\xe0\x83", 4);
            const QByteArray bottom16("\x1f\x00\xff\x7f", 4);
            expectPixels(decode(infoHeader(2, h, 16), rows({top16, bottom16}, topDown), adopt),
                         {{red, green}, {blue, white}});

            // 8 bits with a short colour table: indices past it are black.
            const QByteArray rows8 = rows(
                {QByteArray("\x00\x01\x07\x00", 4), QByteArray("\x01\x00\x00\x00", 4)}, topDown);
            expectPixels(decode(infoHeader(3, h, 8, 0, 2) + colours({red, green}), rows8, adopt),
                         {{red, green, black}, {green, red, red}});

            // 4 bits, 3 wide: the high nibble is the left pixel.
            const QByteArray rows4 = rows(
                {QByteArray("\x12\x30\x00\x00", 4), QByteArray("\x33\x10\x00\x00", 4)}, topDown);
            expectPixels(decode(infoHeader(3, h, 4, 0, 4) + colours({black, red, green, blue}),
                                rows4, adopt),
                         {{red, green, blue}, {blue, blue, red}});

            // 1 bit: the high bit is the left pixel; no colour count means two entries.
            const QByteArray rows1 = rows(
                {QByteArray("\xa0\x00\x00\x00", 4), QByteArray("\x40\x00\x00\x00", 4)}, topDown);
            expectPixels(decode(infoHeader(3, h, 1) + colours({black, white}), rows1, adopt),
                         {{white, black, white}, {black, white, black}});
        }
    }
    // Adopted pixel handles went with their pictures.
    EXPECT_EQ(SpiLiveHandleCount(), handles);
}

TEST(DibImage, AFourthByteThatIsNotZeroSomewhereIsAlpha) {
    // A transparent background with an opaque red pixel and a half-covered green one.
    const QByteArray top("\x00\x00\xff\xff\x00\x80\x00\x80", 8);
    const QByteArray bottom("\x00\x00\x00\x00\x00\x00\x00\x00", 8);
    for (const bool adopt : {false, true}) {
        SCOPED_TRACE(adopt ? "adopted" : "copied");
        const QImage image = decode(infoHeader(2, 2, 32), rows({top, bottom}, false), adopt);
        ASSERT_TRUE(image.hasAlphaChannel());
        EXPECT_EQ(image.pixel(0, 0), qRgba(255, 0, 0, 255));
        EXPECT_EQ(QColor::fromRgba(image.pixel(1, 0)), QColor(0, 128, 0, 128));
        EXPECT_EQ(qAlpha(image.pixel(0, 1)), 0);
        EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0);
    }
}

TEST(DibImage, ABitmapFileForTheOwnReaderHasTheRightPixelOffset) {
    struct Case {
        int bitCount;
        qint64 pixelOffset;
    };
    for (const Case c : {Case{24, 54}, Case{8, 1078}, Case{1, 62}}) {
        SCOPED_TRACE(c.bitCount);
        const qint64 rowBytes = ((4 * c.bitCount + 31) / 32) * 4;
        const qint64 tableBytes = c.bitCount <= 8 ? (qint64(4) << c.bitCount) : 0;
        const Block info(infoHeader(4, 3, c.bitCount) + QByteArray(tableBytes, '\x7f'));
        const Block bits(QByteArray(rowBytes * 3, '\x01'));
        const auto layout = plugins::checkDib(info.block(), bits.block(), nullptr);
        ASSERT_TRUE(layout);
        const QByteArray file = plugins::bmpFileFromDib(*layout, info.block(), bits.block());
        EXPECT_EQ(file.left(2), "BM");
        const auto offset = qFromLittleEndian<quint32>(file.constData() + 10);
        EXPECT_EQ(offset, quint32(c.pixelOffset));
        EXPECT_EQ(qFromLittleEndian<quint32>(file.constData() + 2), quint32(file.size()));
        EXPECT_EQ(file.size(), c.pixelOffset + rowBytes * 3);
    }
}

TEST(DibImage, TopDownTakesAsManyBytesAsBottomUp) {
    const Block bits(QByteArray(12 * 5, '\0'));
    const Block up(infoHeader(3, 5, 24));
    const Block down(infoHeader(3, -5, 24));
    const auto a = plugins::checkDib(up.block(), bits.block(), nullptr);
    const auto b = plugins::checkDib(down.block(), bits.block(), nullptr);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->pixelBytes, 60);
    EXPECT_EQ(b->pixelBytes, 60);
}

TEST(DibImage, BitFieldsGoThroughTheOwnReaderWithTheirMasks) {
    // 16 bits 5-6-5: red, green, blue masks after the header.
    QByteArray masks;
    for (quint32 m : {0xf800u, 0x07e0u, 0x001fu})
        masks.append(reinterpret_cast<const char*>(&m), 4);
    const Block info(infoHeader(2, 1, 16, SPI_BI_BITFIELDS) + masks);
    const Block bits(QByteArray("\x00\xf8\xe0\x07", 4));
    const auto layout = plugins::checkDib(info.block(), bits.block(), nullptr);
    ASSERT_TRUE(layout);
    EXPECT_FALSE(plugins::isPlainDib(*layout));
    BitmapPicture picture;
    picture.loadFromData(plugins::bmpFileFromDib(*layout, info.block(), bits.block()));
    // Channels are scaled to 8 bits: full 5-bit red and full 6-bit green are 255.
    expectPixels(picture.image(), {{qRgb(0xff, 0, 0), qRgb(0, 0xff, 0)}});
}

TEST(DibImage, RefusesWhatDoesNotFitItsBlocks) {
    struct Case {
        const char* what;
        QByteArray info;
        qint64 bitsBytes;
    };
    const Case cases[] = {
        {"header cut short", infoHeader(2, 2, 24).left(39), 16},
        {"pixels one byte short", infoHeader(2, 2, 24), 15},
        {"colour table past the info", infoHeader(2, 2, 8) + QByteArray(1020, 0), 8},
        {"core header",
         QByteArray("\x0c\x00\x00\x00\x02\x00\x02\x00\x01\x00\x18\x00", 12) + QByteArray(40, 0),
         16},
        {"zero width", infoHeader(0, 2, 24), 16},
        {"twelve bits", infoHeader(2, 2, 12), 16},
        {"too many pixels", infoHeader(100000, 100000, 1), 16},
        {"run-length without a size", infoHeader(2, 2, 8, SPI_BI_RLE8) + QByteArray(1024, 0), 16},
        {"embedded JPEG", infoHeader(2, 2, 24, 4, 0, 8), 16},
        {"no pixels at all", infoHeader(2, 2, 24), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Block info(c.info);
        const Block bits(QByteArray(c.bitsBytes, 0));
        QString error;
        EXPECT_FALSE(plugins::checkDib(info.block(), bits.block(), &error));
        EXPECT_FALSE(error.isEmpty());
    }
}

} // namespace
