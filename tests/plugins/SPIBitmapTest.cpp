// The plug-in picture: which reader is asked first, what the plug-ins are
// given, the second try past a header, and that handles never leak.

#include "TestPlugins.h"
#include "graphics/GraphicErrors.h"
#include "graphics/PictureFormats.h"
#include "plugins/SPIBmp.h"
#include "plugins/SPIs.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace {

QByteArray bmpBytes(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

void expectTinyPicture(const Picture& picture, int width, int height) {
    ASSERT_EQ(picture.width(), width);
    ASSERT_EQ(picture.height(), height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(QColor(picture.image().pixel(x, y)), tinyColour(x, y)) << x << "," << y;
}

void expectUnrecognised(TSPIBitmap& picture, const QString& path) {
    try {
        picture.loadFromFile(path);
        ADD_FAILURE() << "loaded " << path.toStdString();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.message(), "認識できない画像形式です");
    }
}

class SPIBitmap : public ::testing::Test {
protected:
    void SetUp() override { handlesBefore_ = SpiLiveHandleCount(); }
    void TearDown() override { EXPECT_EQ(SpiLiveHandleCount(), handlesBefore_); }

    TSPIs& collectionOf(const QStringList& names) {
        spis_ = std::make_unique<TSPIs>();
        for (const QString& name : names)
            spis_->Add(CreateSPI(testPlugin(name)));
        return *spis_;
    }

    TempDir dir_;
    std::unique_ptr<TSPIs> spis_;

private:
    size_t handlesBefore_ = 0;
};

TEST_F(SPIBitmap, AShortFileIsPaddedForIsSupportedAndKeepsItsLengthElsewhere) {
    collectionOf({"tiny"});
    const QByteArray data = tinyPicture(5, 3);
    const QString path = dir_.write("small.tpc", data);

    const auto picture = PictureFormats::instance().loadFromFile(path);
    ASSERT_NE(dynamic_cast<TSPIBitmap*>(picture.get()), nullptr);
    expectTinyPicture(*picture, 5, 3);

    const TinyProbe probe(testPlugin("tiny"));
    EXPECT_EQ(probe.lastPeek(), data + QByteArray(SPI_PEEK_BYTES - data.size(), '\0'));
    EXPECT_EQ(probe.lastInfoLength(), data.size());
    EXPECT_EQ(probe.lastPictureLength(), data.size());
    EXPECT_EQ(probe.lastName(), path);
    EXPECT_TRUE(probe.infoArrivedZeroed());
}

TEST_F(SPIBitmap, ALongFileIsPassedAsItIs) {
    collectionOf({"tiny"});
    const QByteArray data = tinyPicture(40, 30);
    ASSERT_GT(data.size(), SPI_PEEK_BYTES);
    TSPIBitmap picture;
    picture.loadFromFile(dir_.write("large.tpc", data));
    expectTinyPicture(picture, 40, 30);
    const TinyProbe probe(testPlugin("tiny"));
    EXPECT_EQ(probe.lastPeek(), data.left(SPI_PEEK_BYTES));
    EXPECT_EQ(probe.lastPictureLength(), data.size());
}

TEST_F(SPIBitmap, APictureBehindA128BytePrefixIsFoundOnTheSecondTry) {
    collectionOf({"tiny"});
    const QString path = dir_.write("wrapped.tpc", QByteArray(128, 'h') + tinyPicture(4, 4));
    TSPIBitmap picture;
    picture.loadFromFile(path);
    expectTinyPicture(picture, 4, 4);

    TSPIBitmap strict;
    strict.RetryPastHeader = false;
    expectUnrecognised(strict, path);
    EXPECT_TRUE(strict.isEmpty());
}

TEST_F(SPIBitmap, APluginThatFailsInGetPictureIsRetriedPastThePrefix) {
    collectionOf({"claim_all"});
    const TinyProbe probe(testPlugin("claim_all"));
    TSPIBitmap picture;
    picture.loadFromFile(dir_.write("wrapped.pfx", QByteArray(128, 'h') + tinyPicture(3, 2)));
    expectTinyPicture(picture, 3, 2);
    EXPECT_EQ(probe.supportedCalls(), 2);

    // 128 bytes or fewer get no second try; 129 do.
    expectUnrecognised(picture, dir_.write("exact.pfx", QByteArray(128, 'h')));
    EXPECT_EQ(probe.supportedCalls(), 3);
    expectUnrecognised(picture, dir_.write("longer.pfx", QByteArray(129, 'h')));
    EXPECT_EQ(probe.supportedCalls(), 5);
    expectTinyPicture(picture, 3, 2); // a failed load leaves the picture as it was
}

TEST_F(SPIBitmap, WithoutACollectionOnlyTheOwnReaderIsTried) {
    TSPIBitmap picture;
    expectUnrecognised(picture, dir_.write("a.tpc", tinyPicture(2, 2)));
    picture.loadFromFile(dir_.write("really-a-bitmap.tpc", bmpBytes(3, 2)));
    EXPECT_EQ(picture.width(), 3);
}

TEST_F(SPIBitmap, TheOwnReaderGoesFirstForBitmapNamesInAnyCase) {
    collectionOf({"tiny"});
    const TinyProbe probe(testPlugin("tiny"));
    TSPIBitmap picture;
    picture.loadFromFile(dir_.write("a.BmP", bmpBytes(4, 2)));
    EXPECT_EQ(picture.width(), 4);
    EXPECT_EQ(probe.supportedCalls(), 0);

    // A plug-in is asked only when the own reader fails.
    picture.loadFromFile(dir_.write("b.bmp", tinyPicture(2, 3)));
    expectTinyPicture(picture, 2, 3);
    EXPECT_EQ(probe.supportedCalls(), 1);
}

TEST_F(SPIBitmap, AForeignNameAsksThePluginsFirst) {
    collectionOf({"tiny"});
    const TinyProbe probe(testPlugin("tiny"));
    TSPIBitmap picture;
    picture.loadFromFile(dir_.write("a.tpc", bmpBytes(4, 2)));
    EXPECT_EQ(picture.width(), 4); // the own reader took it after the plug-in declined
    EXPECT_EQ(probe.supportedCalls(), 1);
}

TEST_F(SPIBitmap, ANamelessStreamTriesTheOwnReaderThenEveryFilterInOrder) {
    collectionOf({"archive", "comment", "tiny"});
    const TinyProbe comment(testPlugin("comment"));
    const TinyProbe tiny(testPlugin("tiny"));

    TSPIBitmap picture;
    picture.loadFromData(bmpBytes(2, 2));
    EXPECT_EQ(comment.supportedCalls(), 0);

    picture.loadFromData(tinyPicture(3, 3));
    expectTinyPicture(picture, 3, 3);
    // The comment filter reads tiny pictures too and comes first in the list.
    EXPECT_EQ(comment.supportedCalls(), 1);
    EXPECT_EQ(tiny.supportedCalls(), 0);
    EXPECT_EQ(comment.lastName(), "");
}

TEST_F(SPIBitmap, ANamedStreamAsksTheFiltersNamingItsExtensionFirst) {
    collectionOf({"comment", "tiny"});
    const TinyProbe tiny(testPlugin("tiny"));
    const TinyProbe comment(testPlugin("comment"));
    QFile file(dir_.write("stream.tpc", tinyPicture(2, 2)));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    file.seek(10); // the whole stream is read, from its start

    TSPIBitmap picture;
    picture.LoadFromNamedStream(file, "named.tpc");
    expectTinyPicture(picture, 2, 2);
    EXPECT_EQ(tiny.supportedCalls(), 1);
    EXPECT_EQ(tiny.lastName(), "named.tpc");
    EXPECT_EQ(comment.supportedCalls(), 0);
}

TEST_F(SPIBitmap, ThePictureKeepsThePixelHandleUntilItsLastCopyGoes) {
    collectionOf({"tiny"});
    const size_t before = SpiLiveHandleCount();
    QImage copy;
    {
        TSPIBitmap picture;
        picture.loadFromFile(dir_.write("a.tpc", tinyPicture(3, 3)));
        EXPECT_EQ(SpiLiveHandleCount(), before + 1); // the pixels; the info handle is freed
        copy = picture.image();
        TSPIBitmap second;
        second.assign(picture);
        picture.loadFromFile(dir_.write("b.tpc", tinyPicture(2, 2))); // a new handle
        EXPECT_EQ(SpiLiveHandleCount(), before + 2);
    }
    EXPECT_EQ(SpiLiveHandleCount(), before + 1);
    EXPECT_EQ(QColor(copy.pixel(2, 1)), tinyColour(2, 1));
    copy = QImage();
    EXPECT_EQ(SpiLiveHandleCount(), before);
}

TEST_F(SPIBitmap, APluginBuiltAgainstTheSdkHeaderAloneDecodes) {
    TSPIs& spis = collectionOf({"standalone"});
    ASSERT_EQ(spis.Count(), 1);
    EXPECT_EQ(spis.Items(0)->PluginName(), "Standalone filter");
    TSPIBitmap picture;
    picture.loadFromFile(dir_.write("a.tpc", tinyPicture(6, 5)));
    expectTinyPicture(picture, 6, 5);
}

TEST_F(SPIBitmap, AssigningCopiesTheRetrySetting) {
    TSPIBitmap source;
    source.RetryPastHeader = false;
    TSPIBitmap target;
    target.assign(source);
    EXPECT_FALSE(target.RetryPastHeader);
}

} // namespace
