#include "graphics/PicturePreview.h"

#include "PictureFiles.h"
#include "graphics/BitmapPicture.h"
#include "graphics/GraphicErrors.h"
#include "graphics/StretchCache.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void setBackground(QWidget& widget, QColor colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
}

// A 10 × 20 picture: red left half, blue right half.
QString tallPicture(const TempDir& dir) {
    return dir.write("tall.bmp", encoded(halves(10, 20, Qt::red, Qt::blue), "bmp"));
}

} // namespace

TEST(PicturePreview, FitsThePictureWithItsShapeCentredOnTheBackground) {
    TempDir dir;
    PicturePreview preview;
    setBackground(preview, Qt::yellow);
    preview.resize(269, 333);
    preview.loadFromFile(tallPicture(dir));
    ASSERT_TRUE(preview.hasPicture());

    // 10 × 20 is enlarged (an icon-sized picture) to 166 × 333, centred.
    const QImage shown = preview.grab().toImage();
    ASSERT_EQ(shown.size(), QSize(269, 333));
    for (QPoint p : {QPoint(0, 166), QPoint(268, 166), QPoint(50, 0)})
        EXPECT_EQ(shown.pixelColor(p), QColor(Qt::yellow)) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(60, 0), QPoint(60, 332), QPoint(120, 166)})
        EXPECT_EQ(shown.pixelColor(p), QColor(Qt::red)) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(200, 0), QPoint(200, 332), QPoint(150, 166)})
        EXPECT_EQ(shown.pixelColor(p), QColor(Qt::blue)) << p.x() << "," << p.y();
}

TEST(PictureFit, LargeOnesShrinkSmallOnesStayIconsGrow) {
    const QSize pane(269, 333);
    struct Case {
        QSize picture;
        QRect expected;
    } const cases[] = {
        {{4000, 3000}, {0, 66, 269, 201}}, // landscape photo: full width
        {{3000, 4000}, {10, 0, 249, 333}}, // portrait: full height, unsqueezed
        {{200, 250}, {34, 41, 200, 250}},  // fits and is no icon: 1:1
        {{32, 32}, {0, 32, 269, 269}},     // an icon: enlarged to fit
        {{269, 333}, {0, 0, 269, 333}},    // exactly the pane
        {{100000, 1}, {0, 166, 269, 1}},   // never thinner than a pixel
    };
    for (const Case& c : cases)
        EXPECT_EQ(fittedRect(c.picture, pane), c.expected) << c.picture.width();
    EXPECT_TRUE(fittedRect({}, pane).isEmpty());
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
    EXPECT_EQ(preview.grab().toImage().pixelColor(15, 25), QColor(Qt::red));
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

    preview.resize(100, 120); // the picture's place grows with the pane's height
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
    setBackground(preview, Qt::yellow);
    preview.resize(64, 64);
    preview.loadFromFile(path);

    const QImage shown = preview.grab().toImage();
    EXPECT_EQ(shown.pixelColor(8, 32), QColor(Qt::yellow));
    EXPECT_EQ(shown.pixelColor(56, 32), QColor(Qt::blue));
}

TEST(PicturePreview, TheNextPictureLeavesNothingOfTheOneBeforeOnScreen) {
    TempDir dir;
    const QString wide = dir.write("wide.bmp", encoded(halves(100, 50, Qt::red, Qt::red), "bmp"));
    PicturePreview preview;
    setBackground(preview, Qt::yellow);
    preview.resize(100, 50);
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    const auto onScreen = [&] {
        QCoreApplication::processEvents();
        return preview.screen()->grabWindow(preview.winId()).toImage();
    };
    preview.loadFromFile(wide);
    ASSERT_EQ(onScreen().pixelColor(5, 25), QColor(Qt::red));

    // The tall one covers the middle only: the wide one's sides turn background.
    preview.loadFromFile(tallPicture(dir));
    const QImage shown = onScreen();
    EXPECT_EQ(shown.pixelColor(5, 25), QColor(Qt::yellow));
    EXPECT_EQ(shown.pixelColor(45, 25), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(55, 25), QColor(Qt::blue));

    preview.clear();
    EXPECT_EQ(onScreen().pixelColor(45, 25), QColor(Qt::yellow));
}

// A picture shown 1:1 is copied straight into the window's pixels: it must
// land where the pane lies in its window, and nowhere else, not even under a
// widget above it.
TEST(PicturePreview, APictureShownAtItsOwnSizeLandsWhereThePaneIs) {
    TempDir dir;
    const QString picture =
        dir.write("halves.bmp", encoded(halves(100, 50, Qt::red, Qt::blue), "bmp"));
    QWidget window;
    setBackground(window, Qt::green);
    window.resize(130, 80);
    PicturePreview preview(&window);
    preview.setGeometry(7, 9, 100, 50);
    // A widget above the pane keeps its pixels.
    QWidget cover(&window);
    setBackground(cover, Qt::black);
    cover.setAutoFillBackground(true);
    cover.setGeometry(20, 20, 10, 10);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    preview.loadFromFile(picture);
    QCoreApplication::processEvents();
    const QImage shown = window.screen()->grabWindow(window.winId()).toImage();
    for (QPoint p : {QPoint(7, 9), QPoint(56, 58)})
        EXPECT_EQ(shown.pixelColor(p), QColor(Qt::red)) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(57, 9), QPoint(106, 58)})
        EXPECT_EQ(shown.pixelColor(p), QColor(Qt::blue)) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(6, 9), QPoint(7, 8), QPoint(107, 58), QPoint(106, 59)})
        EXPECT_EQ(shown.pixelColor(p), QColor(Qt::green)) << p.x() << "," << p.y();
    EXPECT_EQ(shown.pixelColor(25, 25), QColor(Qt::black));
}
