#include "MetafileWriter.h"
#include "PictureFiles.h"
#include "graphics/BitmapPicture.h"
#include "graphics/GraphicErrors.h"
#include "graphics/IconPicture.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

struct BitmapCase {
    const char* name;
    QImage::Format format;
};

class BitmapDepths : public ::testing::TestWithParam<BitmapCase> {};

// A picture type that reads something else in loadFromStream() but keeps the
// bitmap reader for BMP data, as the plug-in picture does.
class FallbackBitmap : public BitmapPicture {
public:
    void loadFromStream(QIODevice& device) override {
        if (device.peek(2) != "BM")
            throw EInvalidGraphic(QStringLiteral("not handled here"));
        loadBmpFromStream(device);
    }
};

// A 4 × 2 bitmap with run-length encoded 8-bit pixels (index 0 red, 1 blue);
// by default red left, blue right.
QByteArray rle8Bitmap(const QByteArray& pixels = QByteArray("\x02\x00\x02\x01\x00\x00"
                                                            "\x02\x00\x02\x01\x00\x00"
                                                            "\x00\x01",
                                                            14)) {
    QByteArray bmp("BM");
    appendU32(bmp, 14 + 40 + 8 + quint32(pixels.size()));
    appendU32(bmp, 0);
    appendU32(bmp, 14 + 40 + 8);
    for (quint32 v : {40u, 4u, 2u})
        appendU32(bmp, v);
    appendU16(bmp, 1);
    appendU16(bmp, 8);
    appendU32(bmp, 1); // BI_RLE8
    appendU32(bmp, quint32(pixels.size()));
    for (quint32 v : {2835u, 2835u, 2u, 0u})
        appendU32(bmp, v);
    appendU32(bmp, 0x00FF0000); // red
    appendU32(bmp, 0x000000FF); // blue
    return bmp + pixels;
}

// An OS/2 icon's file header and 12-byte bitmap header, its bits at `bitsAt`
// counted from the start of the file.
QByteArray os2Header(const char* type, quint32 bitsAt, int width, int height, int bitCount) {
    QByteArray out(type, 2);
    for (quint32 v : {0u, 0u, bitsAt}) // size, hotspot, bits
        appendU32(out, v);
    appendU32(out, 12);
    for (int v : {width, height, 1, bitCount})
        appendU16(out, quint16(v));
    return out;
}

// A bitmap array of a 1 × 1 black-and-white icon and a 2 × 1 colour icon
// (red, then a pixel the AND mask leaves transparent).
QByteArray os2IconArray() {
    const QByteArray monoTable("\0\0\0\xff\xff\xff", 6);
    QByteArray file("BA");
    appendU32(file, 0);
    appendU32(file, 80); // the next array entry
    appendU32(file, 0);
    file += os2Header("IC", 46, 1, 2, 1) + monoTable;
    file += QByteArray("\x00\x00\x00\x00\x80\x00\x00\x00", 8); // AND row, XOR row
    file.append(80 - file.size(), '\0');
    file += "BA";
    for (quint32 v : {0u, 0u, 0u}) // size, no next entry, display size
        appendU32(file, v);
    file += os2Header("CI", 152, 2, 2, 1) + monoTable + os2Header("CI", 160, 2, 1, 24);
    file += QByteArray("\x40\x00\x00\x00\x00\x00\x00\x00", 8);
    file += QByteArray("\x00\x00\xff\xff\x00\x00\x00\x00", 8);
    return file;
}

} // namespace

TEST(BitmapPicture, ReadsRunLengthEncodedBitmapsWithWhatTheySkipTransparent) {
    BitmapPicture picture;
    picture.loadFromData(rle8Bitmap());
    ASSERT_EQ(picture.image().size(), QSize(4, 2));
    EXPECT_FALSE(picture.image().hasAlphaChannel());
    EXPECT_EQ(picture.image().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(picture.image().pixelColor(3, 1), QColor(Qt::blue));

    // Two red pixels, a jump one right and one up, then the data ends early:
    // nothing else is drawn, and what was never drawn is transparent.
    for (const QByteArray& pixels : {QByteArray("\x02\x00\x00\x02\x01\x01\x00\x01", 8),
                                     QByteArray("\x02\x00\x00\x02\x01\x01", 6)}) {
        BitmapPicture skipping;
        skipping.loadFromData(rle8Bitmap(pixels));
        const QImage& image = skipping.image();
        ASSERT_EQ(image.size(), QSize(4, 2));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(image.pixel(x, y), y == 1 && x < 2 ? qRgb(255, 0, 0) : 0u) << x << y;
    }
}

TEST_P(BitmapDepths, ReadsBmpWrittenByQt) {
    const QImage original =
        halves(7, 5, Qt::red, Qt::blue).convertToFormat(GetParam().format, Qt::ThresholdDither);
    TempDir dir;
    const QString path = dir.write("halves.bmp", encoded(original, "bmp"));

    BitmapPicture picture;
    picture.loadFromFile(path);
    ASSERT_EQ(picture.image().size(), QSize(7, 5));
    for (QPoint p : {QPoint(0, 0), QPoint(2, 4), QPoint(4, 0), QPoint(6, 4)})
        EXPECT_EQ(picture.image().pixelColor(p).rgb(), original.pixelColor(p).rgb())
            << p.x() << "," << p.y();
}

INSTANTIATE_TEST_SUITE_P(BitmapPicture, BitmapDepths,
                         ::testing::Values(BitmapCase{"rgb24", QImage::Format_RGB888},
                                           BitmapCase{"rgb32", QImage::Format_RGB32},
                                           BitmapCase{"indexed8", QImage::Format_Indexed8},
                                           BitmapCase{"mono", QImage::Format_Mono}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(BitmapPicture, ReadsStreamsBytesAndSequentialDevices) {
    const QByteArray bmp = encoded(halves(6, 3, Qt::green, Qt::black), "bmp");

    BitmapPicture fromBytes;
    fromBytes.loadFromData(bmp);
    EXPECT_EQ(fromBytes.image().pixelColor(0, 0), QColor(Qt::green));

    // The bitmap starts at the stream's position, not at its beginning.
    QByteArray prefixed = QByteArray(128, 'x') + bmp;
    QBuffer buffer(&prefixed);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(128);
    BitmapPicture fromStream;
    fromStream.loadFromStream(buffer);
    EXPECT_EQ(fromStream.image().pixelColor(5, 2), QColor(Qt::black));

    FallbackBitmap subclass;
    subclass.loadFromData(bmp);
    EXPECT_EQ(subclass.width(), 6);
    EXPECT_THROW(subclass.loadFromData(encoded(halves(6, 3, Qt::green, Qt::black), "png")),
                 EInvalidGraphic);
    EXPECT_EQ(subclass.width(), 6);

    BitmapPicture copy;
    copy.assign(fromBytes);
    EXPECT_EQ(copy.image(), fromBytes.image());
}

TEST(IconPicture, ReadsIconWrittenByQtWithItsTransparency) {
    QImage original = halves(32, 32, Qt::red, Qt::blue);
    original.setPixelColor(0, 0, Qt::transparent);
    TempDir dir;
    const QString path = dir.write("halves.ico", encoded(original, "ico"));

    IconPicture picture;
    picture.loadFromFile(path);
    ASSERT_EQ(picture.image().size(), QSize(32, 32));
    EXPECT_EQ(picture.image().pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(picture.image().pixelColor(31, 31), QColor(Qt::blue));
    EXPECT_EQ(picture.image().pixelColor(0, 0).alpha(), 0);
}

TEST(IconPicture, ShowsTheLargestImageOfTheIcon) {
    const QList<QImage> images{halves(16, 16, Qt::red, Qt::red), halves(48, 48, Qt::blue, Qt::blue),
                               halves(32, 32, Qt::green, Qt::green)};
    IconPicture picture;
    picture.loadFromData(iconFile(images));
    EXPECT_EQ(picture.image().size(), QSize(48, 48));
    EXPECT_EQ(picture.image().pixelColor(24, 24), QColor(Qt::blue));
}

TEST(IconPicture, ReadsPngImagesInsideIcons) {
    const QList<QImage> images{halves(16, 16, Qt::red, Qt::red),
                               halves(256, 256, Qt::yellow, Qt::magenta)};
    IconPicture picture;
    picture.loadFromData(iconFile(images, true));
    ASSERT_EQ(picture.image().size(), QSize(256, 256));
    EXPECT_EQ(picture.image().pixelColor(0, 255), QColor(Qt::yellow));
    EXPECT_EQ(picture.image().pixelColor(255, 0), QColor(Qt::magenta));
}

TEST(IconPicture, ReadsOs2IconsWithTheirMasks) {
    IconPicture array;
    array.loadFromData(os2IconArray());
    ASSERT_EQ(array.image().size(), QSize(2, 1)); // the larger of the two
    EXPECT_EQ(array.image().pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(qAlpha(array.image().pixel(1, 0)), 0);

    QByteArray mono = os2Header("IC", 32, 1, 2, 1) + QByteArray("\0\0\0\xff\xff\xff", 6);
    mono += QByteArray("\x00\x00\x00\x00\x80\x00\x00\x00", 8);
    IconPicture single;
    single.loadFromData(mono);
    EXPECT_EQ(single.image().pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_THROW(single.loadFromData(mono.chopped(5)), EInvalidGraphic);
}
