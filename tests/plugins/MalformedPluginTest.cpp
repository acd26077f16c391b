// A plug-in that hands back every kind of broken bitmap: each makes that
// plug-in's attempt fail cleanly (an address-checked build proves nothing is
// read past a block), and every handle it made is freed.

#include "TestPlugins.h"
#include "graphics/GraphicErrors.h"
#include "plugins/SPIBmp.h"
#include "plugins/SPIs.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

class MalformedPlugin : public ::testing::TestWithParam<int> {};

TEST(MalformedPluginSelf, TheCorrectBitmapDecodes) {
    TSPIs spis;
    spis.Add(CreateSPI(testPlugin("malformed")));
    TempDir dir;
    const size_t handles = SpiLiveHandleCount();
    {
        TSPIBitmap picture;
        picture.loadFromFile(dir.write("good.bad", malformedData(0)));
        ASSERT_EQ(picture.width(), 2);
        ASSERT_EQ(picture.height(), 2);
        EXPECT_EQ(picture.image().pixel(1, 1), qRgb(255, 255, 255));
        EXPECT_EQ(picture.image().pixel(0, 1), qRgb(0, 0, 0));
        EXPECT_EQ(picture.image().pixel(1, 0), qRgb(0, 0, 0));
    }
    EXPECT_EQ(SpiLiveHandleCount(), handles);
}

TEST_P(MalformedPlugin, FailsCleanlyAndLeavesNoHandle) {
    TSPIs spis;
    spis.Add(CreateSPI(testPlugin("malformed")));
    TempDir dir;
    const size_t handles = SpiLiveHandleCount();
    TSPIBitmap picture;
    try {
        picture.loadFromFile(dir.write("broken.bad", malformedData(GetParam())));
        ADD_FAILURE() << "a broken bitmap was taken";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.message(), "認識できない画像形式です");
    }
    EXPECT_TRUE(picture.isEmpty());
    EXPECT_EQ(SpiLiveHandleCount(), handles);
}

TEST(MalformedPluginSelf, AHandleGivenAgainIsRefusedAndNeverFreedUnderAShownPicture) {
    TSPIs spis;
    spis.Add(CreateSPI(testPlugin("malformed")));
    TempDir dir;
    const QString file = dir.write("cached.bad", malformedData(100));
    const auto loadFails = [&file] {
        TSPIBitmap again;
        try {
            again.loadFromFile(file);
        } catch (const EInvalidGraphic&) {
            return again.isEmpty();
        }
        return false;
    };
    {
        // The first picture keeps the handle as its pixels; the plug-in giving
        // it again must neither share nor free them (nor turn them over).
        TSPIBitmap shown;
        shown.loadFromFile(file);
        const QImage before = shown.image().copy();
        EXPECT_TRUE(loadFails());
        EXPECT_EQ(shown.image(), before);
    }
    // Freed with the picture, the handle is stale for good: a block made later
    // can never be reached through it.
    const HLOCAL later = LocalAlloc(LMEM_ZEROINIT, 8);
    EXPECT_TRUE(loadFails());
    EXPECT_NE(LocalLock(later), nullptr);
    LocalUnlock(later);
    EXPECT_EQ(LocalFree(later), nullptr);
}

// Faults 1 to 16 of the plug-in (see spi/malformed.c).
INSTANTIATE_TEST_SUITE_P(EveryFault, MalformedPlugin, ::testing::Range(1, 17));

} // namespace
