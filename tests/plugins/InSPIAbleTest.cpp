// The decoding adapter on its own: what the receiver is told, and that
// handles are freed when the receiver raises.

#include "TestPlugins.h"
#include "graphics/GraphicErrors.h"
#include "plugins/SPIBmp.h"
#include "plugins/SPIs.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

struct Received {
    int calls = 0;
    TPictureInfoRec picture;
    QString ext;
    QString fileName;
    qint64 infoBytes = 0;
    qint64 bitsBytes = 0;
};

class InSPIAble : public ::testing::Test {
protected:
    InSPIAble() : adapter_(owner_) {
        adapter_.NativeExt = "BMP";
        adapter_.NativeStreamLoader = [](Picture& owner, QIODevice& stream) {
            static_cast<TSPIBitmap&>(owner).loadBmpFromStream(stream);
        };
        adapter_.NativeFileLoader = [this](Picture&, const QString& fileName) {
            QFile file(fileName);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            adapter_.LoadFromStream(file);
        };
        adapter_.OnDIB = [this](plugins::PluginHandle& info, plugins::PluginHandle& bits,
                                const TPictureInfoRec& picture, bool& loaded) {
            ++received_.calls;
            received_.picture = picture;
            received_.ext = adapter_.Ext;
            received_.fileName = adapter_.FileName;
            received_.infoBytes = info.block().size;
            received_.bitsBytes = bits.block().size;
            loaded = true;
        };
    }

    TempDir dir_;
    TSPIBitmap owner_;
    TInSPIAble adapter_;
    Received received_;
};

TEST_F(InSPIAble, TheReceiverGetsThePictureInfoAndTheComment) {
    TSPIs spis;
    spis.Add(CreateSPI(testPlugin("comment")));
    const size_t handles = SpiLiveHandleCount();
    const QString path = dir_.write("a.cmt", tinyPicture(5, 2));

    adapter_.LoadFromFile(path);
    ASSERT_EQ(received_.calls, 1);
    const TPictureInfoRec& p = received_.picture;
    EXPECT_TRUE(p.Valid);
    EXPECT_EQ(p.Width, 5);
    EXPECT_EQ(p.Height, 2);
    EXPECT_EQ(p.XDensity, 72);
    EXPECT_EQ(p.YDensity, 96);
    EXPECT_EQ(p.ColorDepth, 24);
    EXPECT_EQ(p.Info, "shot at dawn"); // the comment block holds no terminating NUL
    EXPECT_EQ(received_.ext, ".cmt");
    EXPECT_EQ(received_.fileName, path);
    EXPECT_EQ(received_.infoBytes, 40);
    EXPECT_EQ(received_.bitsBytes, 2 * 16);

    // Only for the length of one load.
    EXPECT_TRUE(adapter_.Ext.isEmpty());
    EXPECT_TRUE(adapter_.FileName.isEmpty());
    EXPECT_EQ(SpiLiveHandleCount(), handles);
}

TEST_F(InSPIAble, TheRecordComesFromTheAttemptThatDecoded) {
    TSPIs spis;
    spis.Add(CreateSPI(testPlugin("claim_all")));
    // Both calls fail on the whole data and succeed past the prefix.
    adapter_.LoadFromFile(dir_.write("a.pfx", QByteArray(128, 'x') + tinyPicture(2, 3)));
    ASSERT_EQ(received_.calls, 1);
    EXPECT_TRUE(received_.picture.Valid);
    EXPECT_EQ(received_.picture.Height, 3);
}

TEST_F(InSPIAble, AFailedPictureInfoDoesNotStopTheDecoding) {
    TSPIs spis;
    spis.Add(CreateSPI(testPlugin("claim_all")));
    // A tiny picture claiming more pixels than it holds: the info call fails,
    // yet the picture call is still made.
    QByteArray cut = tinyPicture(2, 2);
    cut[4] = 9;
    EXPECT_THROW(adapter_.LoadFromFile(dir_.write("cut.pfx", cut)), EInvalidGraphic);
    EXPECT_EQ(TinyProbe(testPlugin("claim_all")).lastPictureLength(), cut.size());
    EXPECT_EQ(received_.calls, 0);
}

TEST_F(InSPIAble, HandlesAreFreedWhenTheReceiverRaises) {
    TSPIs spis;
    spis.Add(CreateSPI(testPlugin("comment")));
    const size_t handles = SpiLiveHandleCount();
    adapter_.OnDIB = [](plugins::PluginHandle&, plugins::PluginHandle&, const TPictureInfoRec&,
                        bool&) { throw std::runtime_error("receiver failed"); };
    EXPECT_THROW(adapter_.LoadFromFile(dir_.write("a.cmt", tinyPicture(2, 2))), std::runtime_error);
    EXPECT_EQ(SpiLiveHandleCount(), handles);
    EXPECT_TRUE(adapter_.Ext.isEmpty());
}

} // namespace
