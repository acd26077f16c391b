#include "app/Application.h"
#include "app/Hints.h"
#include "app/ToolbarArt.h"
#include "settings/RegistryException.h"

#include <QImage>
#include <algorithm>
#include <gtest/gtest.h>

TEST(Hints, SplitAtTheFirstBar) {
    EXPECT_EQ(shortHint("open|opens a folder"), "open");
    EXPECT_EQ(longHint("open|opens a folder"), "opens a folder");
    EXPECT_EQ(longHint("|only long"), "only long");
    EXPECT_EQ(shortHint("|only long"), "");
    EXPECT_EQ(longHint("a|b|c"), "b|c");
    EXPECT_EQ(longHint("no bar"), "no bar");
    EXPECT_EQ(longHint(""), "");
}

TEST(ExceptionBoundary, AnEscapedErrorIsReportedAndTheEventCountsAsHandled) {
    QStringList reported;
    const auto report = [&](const std::exception& e) { reported.append(messageOf(e)); };
    EXPECT_TRUE(
        deliverGuarded([]() -> bool { throw ERegistryException::cannotRead("Method"); }, report));
    EXPECT_FALSE(deliverGuarded([] { return false; }, report));
    EXPECT_TRUE(deliverGuarded([]() -> bool { throw std::runtime_error("plain"); }, report));
    EXPECT_EQ(reported, (QStringList{"'Method' の取得に失敗しました", "plain"}));
}

TEST(ToolbarArt, ElevenImagesDrawnSharpAtEveryScale) {
    const QList<QIcon> images = toolbarImageList();
    ASSERT_EQ(images.size(), 11);
    for (const QIcon& icon : images) {
        for (const int size : {16, 32}) {
            const QImage image = icon.pixmap(size, size).toImage();
            ASSERT_EQ(image.size(), QSize(size, size));
            // Drawn, not empty: some opaque pixels.
            int opaque = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    opaque += qAlpha(image.pixel(x, y)) == 255;
            EXPECT_GT(opaque, size * size / 4);
        }
    }
    // Each digit is its own picture.
    EXPECT_NE(images[1].pixmap(16, 16).toImage(), images[2].pixmap(16, 16).toImage());
}
