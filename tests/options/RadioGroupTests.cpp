// The radio group's index rules and the arithmetic that places its items.

#include "dialogs/RadioGroup.h"

#include <QRadioButton>
#include <gtest/gtest.h>

TEST(RadioGroup, AnIndexIsClampedBetweenNoneAndTheLastItem) {
    EXPECT_EQ(clampedItemIndex(-3, 3), -1);
    EXPECT_EQ(clampedItemIndex(7, 3), 2);
    EXPECT_EQ(clampedItemIndex(5, 0), -1);

    RadioGroup group("Group", {"a", "b", "c"});
    group.setItemIndex(-3);
    EXPECT_EQ(group.itemIndex(), -1);
    // Clearing must not leave the items unable to exclude one another.
    group.item(0)->setChecked(true);
    group.item(1)->setChecked(true);
    EXPECT_FALSE(group.item(0)->isChecked());
    EXPECT_EQ(group.itemIndex(), 1);
}

TEST(RadioGroup, ItemsShareTheRoomBelowTheCaptionInEqualSlots) {
    const int fontHeight = 13;
    for (const QSize box : {QSize(281, 81), QSize(120, 200)}) {
        for (const int count : {1, 3, 5}) {
            const QRect first = radioItemRect(0, count, box, fontHeight);
            EXPECT_GT(first.top(), fontHeight);
            EXPECT_LT(first.right(), box.width());
            for (int i = 1; i < count; ++i)
                EXPECT_EQ(radioItemRect(i, count, box, fontHeight),
                          first.translated(0, i * first.height()));
            // Less than a pixel per item of the room stays unused.
            const int room = box.height() - fontHeight - 5;
            EXPECT_GT(count * first.height(), room - count);
            EXPECT_LE(first.top() + count * first.height(), box.height());
        }
    }
}
