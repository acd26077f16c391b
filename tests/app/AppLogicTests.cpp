#include "app/Application.h"
#include "app/Hints.h"
#include "app/MessageLog.h"
#include "app/NameOrder.h"
#include "app/ToolbarArt.h"
#include "settings/RegistryException.h"

#include <QImage>
#include <algorithm>
#include <gtest/gtest.h>

TEST(MessageLog, KeepsTheNewestTwentyBeforeAppending) {
    MessageLog log;
    for (int i = 1; i <= 25; ++i)
        log.add(QString("line %1").arg(i));
    ASSERT_EQ(log.lines().size(), 21);
    EXPECT_EQ(log.lines().front(), "line 5");
    EXPECT_EQ(log.lines().back(), "line 25");

    MessageLog few;
    for (int i = 1; i <= 21; ++i)
        few.add(QString::number(i));
    EXPECT_EQ(few.lines().size(), 21);
    EXPECT_EQ(few.lines().front(), "1");
}

TEST(MessageLog, ALineBreakMakesTwoLines) {
    MessageLog log;
    for (int i = 1; i <= 20; ++i)
        log.add(QString::number(i));
    log.add("a\nb");
    EXPECT_EQ(log.lines().size(), 21);
    EXPECT_EQ(log.lines().front(), "2");
    EXPECT_EQ(log.lines().back(), "b");
}

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

TEST(NameOrder, AsAFileManagerListsAFolder) {
    const QStringList expected = {"001.jpg", "1.jpg", "2.jpg",     "10.jpg",     "a.jpg",
                                  "B.jpg",   "c.jpg", "IMG_2.jpg", "img_10.jpg", "IMG_0011.jpg",
                                  "x9y2",    "X9y10", "x10y1",     "写真 2.jpg", "写真 10.jpg"};
    QStringList shuffled = expected;
    std::reverse(shuffled.begin(), shuffled.end());
    std::swap(shuffled[1], shuffled[7]);
    EXPECT_EQ(sortedInNameOrder(shuffled), expected);
}
