#include "graphics/PictureLimits.h"

#include "graphics/StretchCache.h"

#include <gtest/gtest.h>
#include <limits>

using graphics::clampRenderedSize;
using graphics::MaxPixelCount;
using graphics::pixelCountAllowed;

TEST(PictureLimits, PixelCountLimitHoldsWithoutOverflow) {
    EXPECT_TRUE(pixelCountAllowed(1, 1));
    EXPECT_TRUE(pixelCountAllowed(16384, 16384)); // exactly 256 megapixels
    EXPECT_FALSE(pixelCountAllowed(16384, 16385));
    EXPECT_TRUE(pixelCountAllowed(MaxPixelCount, 1));
    EXPECT_FALSE(pixelCountAllowed(0, 10));
    EXPECT_FALSE(pixelCountAllowed(10, -1));
    EXPECT_FALSE(pixelCountAllowed(std::numeric_limits<qint64>::max(), 2));
    EXPECT_FALSE(pixelCountAllowed(0x7FFFFFFF, 0x7FFFFFFF));
}

TEST(PictureLimits, RenderedSizeKeepsAspectWithinTheLongSide) {
    EXPECT_EQ(clampRenderedSize(96, 48), QSize(96, 48));
    EXPECT_EQ(clampRenderedSize(95.6, 47.4), QSize(96, 47));
    EXPECT_EQ(clampRenderedSize(8192, 4096), QSize(4096, 2048));
    EXPECT_EQ(clampRenderedSize(1000, 100000), QSize(41, 4096));
    EXPECT_EQ(clampRenderedSize(0.2, 0.2), QSize(1, 1));
    EXPECT_EQ(clampRenderedSize(500000, 1), QSize(4096, 1)); // never below one pixel
    EXPECT_EQ(clampRenderedSize(200, 100, 50), QSize(50, 25));

    EXPECT_TRUE(clampRenderedSize(0, 10).isEmpty());
    EXPECT_TRUE(clampRenderedSize(-5, 10).isEmpty());
    EXPECT_TRUE(clampRenderedSize(std::numeric_limits<double>::quiet_NaN(), 10).isEmpty());
    EXPECT_TRUE(clampRenderedSize(std::numeric_limits<double>::infinity(), 10).isEmpty());
    EXPECT_TRUE(clampRenderedSize(2'000'000, 10).isEmpty());
}

TEST(StretchCache, ScalesIn32BitFormats) {
    EXPECT_EQ(stretchFormatFor(QImage(4, 4, QImage::Format_RGB888)), QImage::Format_RGB32);
    EXPECT_EQ(stretchFormatFor(QImage(4, 4, QImage::Format_Indexed8)), QImage::Format_RGB32);
    EXPECT_EQ(stretchFormatFor(QImage(4, 4, QImage::Format_ARGB32)),
              QImage::Format_ARGB32_Premultiplied);

    StretchCache cache;
    EXPECT_TRUE(cache.imageFor(QSize(10, 10)).isNull());
    QImage source(2, 2, QImage::Format_RGB888);
    source.fill(Qt::green);
    cache.setSource(source);
    EXPECT_TRUE(cache.imageFor(QSize(0, 10)).isNull());
    const QImage& scaled = cache.imageFor(QSize(7, 3));
    EXPECT_EQ(scaled.size(), QSize(7, 3));
    EXPECT_EQ(scaled.pixelColor(6, 2), QColor(Qt::green));

    // At its own size on a high-density screen: the same pixels under the
    // screen's ratio, not a copy of a whole picture each time one is shown.
    QImage large(400, 300, QImage::Format_RGB32);
    large.fill(Qt::blue);
    cache.setSource(large);
    const QImage& asIs = cache.imageFor(QSize(200, 150), 2.0);
    EXPECT_EQ(asIs.size(), QSize(400, 300));
    EXPECT_EQ(asIs.devicePixelRatio(), 2.0);
    EXPECT_EQ(asIs.constBits(), large.constBits());
}
