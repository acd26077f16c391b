#include "dialogs/MessageBoxes.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

TEST(MessageBoxes, WarningHasItsCaptionAndOneOkButton) {
    const auto box = makeWarningBox("ファイルがありません");
    EXPECT_EQ(box->windowTitle(), "警告");
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->text(), "ファイルがありません");
    ASSERT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->buttons().front()->text(), "OK");
}

TEST(MessageBoxes, ConfirmationDefaultsToYesAndEscapeAnswersNo) {
    const auto box = makeConfirmationBox("上書きしますか?");
    EXPECT_EQ(box->windowTitle(), "確認");
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    ASSERT_EQ(box->buttons().size(), 2);
    EXPECT_EQ(box->button(QMessageBox::Yes)->text(), "はい(&Y)");
    EXPECT_EQ(box->button(QMessageBox::No)->text(), "いいえ(&N)");
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));

    QTimer::singleShot(0, box.get(), [&] { QTest::keyClick(box.get(), Qt::Key_Escape); });
    box->exec();
    EXPECT_EQ(box->clickedButton(), box->button(QMessageBox::No));
}
