#include "core/MessageLog.h"
#include "core/NameOrder.h"

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

TEST(NameOrder, AsAFileManagerListsAFolder) {
    const QStringList expected = {"001.jpg", "1.jpg", "2.jpg",     "10.jpg",     "a.jpg",
                                  "B.jpg",   "c.jpg", "IMG_2.jpg", "img_10.jpg", "IMG_0011.jpg",
                                  "x9y2",    "X9y10", "x10y1",     "写真 2.jpg", "写真 10.jpg"};
    QStringList shuffled = expected;
    std::reverse(shuffled.begin(), shuffled.end());
    std::swap(shuffled[1], shuffled[7]);
    EXPECT_EQ(sortedInNameOrder(shuffled), expected);
}
