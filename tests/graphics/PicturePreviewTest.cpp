#include "graphics/PicturePreview.h"

#include "PictureFiles.h"
#include "graphics/BitmapPicture.h"
#include "graphics/GraphicErrors.h"
#include "support/TempDir.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

// A 10 × 20 picture: red left half, blue right half.
QString tallPicture(const TempDir& dir) {
    return dir.write("tall.bmp", encoded(halves(10, 20, Qt::red, Qt::blue), "bmp"));
}

} // namespace

TEST(PicturePreview, StretchesThePictureOverTheWholePane) {
    TempDir dir;
    PicturePreview preview;
    preview.resize(269, 333);
    preview.loadFromFile(tallPicture(dir));
    ASSERT_TRUE(preview.hasPicture());

    const QImage shown = preview.grab().toImage();
    ASSERT_EQ(shown.size(), QSize(269, 333));
    // Aspect ratio not kept: each half of the picture covers half the pane, top to bottom.
    for (QPoint p : {QPoint(0, 0), QPoint(0, 332), QPoint(120, 166)})
        EXPECT_EQ(shown.pixelColor(p), QColor(Qt::red)) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(268, 0), QPoint(268, 332), QPoint(150, 166)})
        EXPECT_EQ(shown.pixelColor(p), QColor(Qt::blue)) << p.x() << "," << p.y();
}

TEST(PicturePreview, KeepsThePreviousPictureWhenALoadFails) {
    TempDir dir;
    PicturePreview preview;
    preview.resize(50, 50);
    preview.loadFromFile(tallPicture(dir));
    const Picture* before = preview.picture();
    const QImage image = before->image();
    QSignalSpy changed(&preview, &PicturePreview::pictureChanged);

    const QString corrupt = dir.write("corrupt.bmp", QByteArray("BM not really a bitmap"));
    const QString unknown = dir.write("notes.txt", QByteArray("text"));
    EXPECT_THROW(preview.loadFromFile(corrupt), EInvalidGraphic);
    EXPECT_THROW(preview.loadFromFile(unknown), EInvalidGraphic);
    EXPECT_THROW(preview.loadFromFile(dir.file("missing.ico")), EInvalidGraphic);

    EXPECT_EQ(preview.picture(), before);
    EXPECT_EQ(preview.picture()->image(), image);
    EXPECT_TRUE(preview.hasPicture());
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(preview.grab().toImage().pixelColor(0, 0), QColor(Qt::red));
}

TEST(PicturePreview, ClearingOrAnEmptyPictureShowsNothing) {
    TempDir dir;
    PicturePreview preview;
    QSignalSpy changed(&preview, &PicturePreview::pictureChanged);
    EXPECT_FALSE(preview.hasPicture());

    preview.loadFromFile(tallPicture(dir));
    EXPECT_TRUE(preview.hasPicture());
    preview.clear();
    EXPECT_FALSE(preview.hasPicture());
    EXPECT_EQ(preview.picture(), nullptr);

    // An empty picture, as the main window hands the preview at start.
    preview.setPicture(std::make_unique<BitmapPicture>());
    EXPECT_FALSE(preview.hasPicture());
    EXPECT_NE(preview.picture(), nullptr);
    EXPECT_EQ(changed.count(), 3);
}

TEST(PicturePreview, ScalesOnlyWhenThePictureOrThePaneChanges) {
    TempDir dir;
    PicturePreview preview;
    preview.resize(100, 80);
    preview.loadFromFile(tallPicture(dir));
    (void)preview.grab();
    (void)preview.grab();
    EXPECT_EQ(preview.scaleCount(), 1);

    preview.resize(120, 80);
    (void)preview.grab();
    EXPECT_EQ(preview.scaleCount(), 2);

    preview.loadFromFile(tallPicture(dir));
    (void)preview.grab();
    EXPECT_EQ(preview.scaleCount(), 1);
}

TEST(PicturePreview, TransparentPartsShowTheBackgroundColour) {
    TempDir dir;
    const QString path =
        dir.write("half.ico", encoded(halves(16, 16, Qt::transparent, Qt::blue), "ico"));
    PicturePreview preview;
    QPalette palette = preview.palette();
    palette.setColor(QPalette::Window, Qt::yellow);
    preview.setPalette(palette);
    preview.resize(64, 64);
    preview.loadFromFile(path);

    const QImage shown = preview.grab().toImage();
    EXPECT_EQ(shown.pixelColor(8, 32), QColor(Qt::yellow));
    EXPECT_EQ(shown.pixelColor(56, 32), QColor(Qt::blue));
}
