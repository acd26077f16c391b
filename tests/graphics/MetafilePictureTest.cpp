#include "graphics/MetafilePicture.h"

#include "MetafileWriter.h"
#include "graphics/GraphicErrors.h"
#include "graphics/PictureFormats.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// Red left half, blue right half, 1000 × 500 logical units at 1000 per inch.
QByteArray redBlueWmf(bool placeable) {
    WmfWriter wmf(QRect(0, 0, 1000, 500), 1000, placeable);
    wmf.setWindow(QRect(0, 0, 1000, 500));
    wmf.useSolidBrush(Qt::red);
    wmf.rectangle(QRect(0, 0, 500, 500));
    wmf.useSolidBrush(Qt::blue);
    wmf.rectangle(QRect(500, 0, 500, 500));
    return wmf.finish();
}

// Red left half, blue right half of `size` device pixels.
QByteArray redBlueEmf(QSize size) {
    EmfWriter emf(QRect(QPoint(0, 0), size));
    emf.useSolidBrush(Qt::red);
    emf.rectangle(QRect(0, 0, size.width() / 2, size.height()));
    emf.useSolidBrush(Qt::blue);
    emf.rectangle(QRect(size.width() / 2, 0, size.width() - size.width() / 2, size.height()));
    return emf.finish();
}

// Colours of a rendering are compared with a tolerance for anti-aliasing.
bool near(QColor actual, QColor expected) {
    return std::abs(actual.red() - expected.red()) < 16 &&
           std::abs(actual.green() - expected.green()) < 16 &&
           std::abs(actual.blue() - expected.blue()) < 16;
}

void expectRedBlueHalves(const QImage& image) {
    ASSERT_FALSE(image.isNull());
    const int w = image.width();
    const int h = image.height();
    for (int y : {h / 4, h / 2, 3 * h / 4}) {
        EXPECT_TRUE(near(image.pixelColor(w / 4, y), Qt::red))
            << "left at y=" << y << ": " << image.pixelColor(w / 4, y).name().toStdString();
        EXPECT_TRUE(near(image.pixelColor(3 * w / 4, y), Qt::blue))
            << "right at y=" << y << ": " << image.pixelColor(3 * w / 4, y).name().toStdString();
    }
}

} // namespace

TEST(MetafilePicture, DrawsPlaceableWmfAtItsNaturalSize) {
    TempDir dir;
    const QString path = dir.write("red_blue.wmf", redBlueWmf(true));
    const auto picture = PictureFormats().loadFromFile(path);
    // 1000 × 500 units at 1000 units per inch on a 96-dpi screen.
    EXPECT_EQ(picture->image().size(), QSize(96, 48));
    expectRedBlueHalves(picture->image());
}

TEST(MetafilePicture, ShowsThePlaceableFrameOnly) {
    // The frame starts at (100, 200); a green square drawn outside it stays unseen.
    WmfWriter wmf(QRect(100, 200, 1000, 500), 1000);
    wmf.setWindow(QRect(100, 200, 1000, 500));
    wmf.useSolidBrush(Qt::green);
    wmf.rectangle(QRect(-500, -500, 500, 500));
    wmf.useSolidBrush(Qt::red);
    wmf.rectangle(QRect(100, 200, 500, 500));
    wmf.useSolidBrush(Qt::blue);
    wmf.rectangle(QRect(600, 200, 500, 500));
    MetafilePicture picture;
    picture.loadFromData(wmf.finish());
    ASSERT_EQ(picture.image().size(), QSize(96, 48));
    expectRedBlueHalves(picture.image());
    EXPECT_TRUE(near(picture.image().pixelColor(0, 0), Qt::red));
    EXPECT_TRUE(near(picture.image().pixelColor(95, 47), Qt::blue));
}

TEST(MetafilePicture, DrawsWmfWithoutPlaceableHeader) {
    MetafilePicture picture;
    picture.loadFromData(redBlueWmf(false));
    // One pixel per logical unit, as the default mapping mode draws on a screen.
    EXPECT_NEAR(picture.width(), 1000, 1);
    EXPECT_NEAR(picture.height(), 500, 1);
    expectRedBlueHalves(picture.image());
}

TEST(MetafilePicture, DrawsEmfAtItsNaturalSize) {
    TempDir dir;
    const QString path = dir.write("red_blue.emf", redBlueEmf(QSize(100, 50)));
    const auto picture = PictureFormats().loadFromFile(path);
    EXPECT_EQ(picture->image().size(), QSize(100, 50));
    expectRedBlueHalves(picture->image());
}

TEST(MetafilePicture, TellsTheFormatsApartByContent) {
    TempDir dir;
    const QString emfAsWmf = dir.write("enhanced.wmf", redBlueEmf(QSize(60, 30)));
    const QString wmfAsEmf = dir.write("windows.emf", redBlueWmf(true));
    expectRedBlueHalves(PictureFormats().loadFromFile(emfAsWmf)->image());
    expectRedBlueHalves(PictureFormats().loadFromFile(wmfAsEmf)->image());
}

TEST(MetafilePicture, ScalesHugeDrawingsDownToTheRenderLimit) {
    MetafilePicture emf;
    emf.loadFromData(redBlueEmf(QSize(20000, 5000)));
    EXPECT_EQ(emf.image().size(), QSize(4096, 1024));
    expectRedBlueHalves(emf.image());

    // 30000 × 15000 units at 1000 per inch: 2880 × 1440 pixels, within the limit.
    WmfWriter big(QRect(0, 0, 30000, 15000), 1000);
    big.setWindow(QRect(0, 0, 30000, 15000));
    big.useSolidBrush(Qt::red);
    big.rectangle(QRect(0, 0, 15000, 15000));
    big.useSolidBrush(Qt::blue);
    big.rectangle(QRect(15000, 0, 15000, 15000));
    MetafilePicture wmf;
    wmf.loadFromData(big.finish());
    EXPECT_EQ(wmf.image().size(), QSize(2880, 1440));
    expectRedBlueHalves(wmf.image());
}

TEST(MetafilePicture, RefusesAbsurdOrEmptyFrames) {
    EmfWriter absurd(QRect(0, 0, 100, 100));
    absurd.setFrame(QRect(QPoint(0, 0), QPoint(2'000'000'000, 100)));
    EmfWriter empty(QRect(0, 0, 1, 1));
    empty.setFrame(QRect(QPoint(5, 5), QPoint(5, 5)));
    // Units per inch of 0 would divide by zero in any renderer.
    QByteArray noResolution = redBlueWmf(true);
    noResolution[14] = 0;
    noResolution[15] = 0;

    for (const QByteArray& bytes : {absurd.finish(), empty.finish(), noResolution}) {
        MetafilePicture picture;
        EXPECT_THROW(picture.loadFromData(bytes), EInvalidGraphic);
        EXPECT_TRUE(picture.isEmpty());
    }
}

// A drawing that fills a large picture tens of thousands of times: the
// drawing is abandoned at the time limit.
TEST(MetafilePicture, GivesUpOnADrawingThatTakesTooLong) {
    WmfWriter slow(QRect(0, 0, 30000, 15000), 1000);
    slow.useSolidBrush(Qt::red);
    for (int i = 0; i < 50'000; ++i)
        slow.rectangle(QRect(0, 0, 30000, 15000));
    MetafilePicture picture;
    picture.setTimeLimit(std::chrono::milliseconds(300));
    EXPECT_THROW(picture.loadFromData(slow.finish()), EInvalidGraphic);
    EXPECT_TRUE(picture.isEmpty());
}

// The window a placeable drawing sets, wherever it lies, fills the picture;
// the placeable box only gives the size. Drawings of several kinds, drawn one
// after another in one process, each look as they do alone.
TEST(MetafilePicture, DrawsTheDrawingsOwnWindowInSequence) {
    QList<QByteArray> drawings;
    // A window far from the placeable box's origin, in other units.
    WmfWriter shifted(QRect(0, 0, 2000, 1000), 2000);
    shifted.record(0x0103, {8}); // SetMapMode: anisotropic
    shifted.setWindow(QRect(5000, 3000, 1000, 500));
    shifted.useSolidBrush(Qt::red);
    shifted.rectangle(QRect(5000, 3000, 500, 500));
    shifted.useSolidBrush(Qt::blue);
    shifted.rectangle(QRect(5500, 3000, 500, 500));
    // The default mapping with an origin of its own.
    WmfWriter offset(QRect(0, 0, 1000, 500), 1000);
    offset.setWindow(QRect(-300, 700, 1000, 500));
    offset.useSolidBrush(Qt::red);
    offset.rectangle(QRect(-300, 700, 500, 500));
    offset.useSolidBrush(Qt::blue);
    offset.rectangle(QRect(200, 700, 500, 500));
    for (int round = 0; round < 2; ++round) {
        for (const QByteArray& bytes :
             {shifted.finish(), offset.finish(), redBlueEmf(QSize(80, 40)), redBlueWmf(true)}) {
            MetafilePicture picture;
            picture.loadFromData(bytes);
            EXPECT_EQ(picture.image().width(), 2 * picture.image().height());
            expectRedBlueHalves(picture.image());
        }
        for (const char* name : {"office_export_shapes_and_text.emf", "office_export_bitmap.emf",
                                 "office_export_shapes_and_text.wmf"}) {
            MetafilePicture picture;
            picture.loadFromFile(QStringLiteral(SORTEKA_GRAPHICS_FIXTURES "/") +
                                 QLatin1String(name));
            EXPECT_EQ(picture.image().size(), QSize(189, 89)) << name;
        }
    }
}

// Metafiles as an office suite writes them (WMF with escapes, EMF with EMF+
// comments): a red and a blue half, a yellow disc with a black rim in the
// middle, green text on the blue half.
class OfficeExport : public ::testing::TestWithParam<const char*> {};

TEST_P(OfficeExport, ShowsShapesAndText) {
    const QString path =
        QStringLiteral(SORTEKA_GRAPHICS_FIXTURES "/office_export_shapes_and_text.") + GetParam();
    const auto picture = PictureFormats().loadFromFile(path);
    const QImage& image = picture->image();
    // 49.94 × 23.48 mm on a 96-dpi screen.
    ASSERT_EQ(image.size(), QSize(189, 89));
    EXPECT_TRUE(near(image.pixelColor(20, 20), Qt::red));
    EXPECT_TRUE(near(image.pixelColor(20, 70), Qt::red));
    EXPECT_TRUE(near(image.pixelColor(175, 15), Qt::blue));
    EXPECT_TRUE(near(image.pixelColor(94, 44), Qt::yellow));
    bool rim = false;
    for (int y = 15; y < 35; ++y) {
        const QColor c = image.pixelColor(94, y);
        rim = rim || (c.red() < 90 && c.green() < 90 && c.blue() < 90);
    }
    EXPECT_TRUE(rim) << "the disc's rim is missing";

    // Thin anti-aliased letters: count pixels where green clearly dominates.
    int green = 0;
    for (int y = 40; y < 65; ++y) {
        for (int x = 115; x < 185; ++x) {
            const QColor c = image.pixelColor(x, y);
            green += c.green() > 128 && c.red() < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(green, 15) << "the text is missing";
}

// A 16 × 8 bitmap (green left, magenta right) stretched over the middle of a
// blue drawing: the bitmap records of both formats are read.
TEST_P(OfficeExport, ShowsEmbeddedBitmaps) {
    const QString path =
        QStringLiteral(SORTEKA_GRAPHICS_FIXTURES "/office_export_bitmap.") + GetParam();
    const auto picture = PictureFormats().loadFromFile(path);
    const QImage& image = picture->image();
    ASSERT_EQ(image.size(), QSize(189, 89));
    EXPECT_TRUE(near(image.pixelColor(5, 5), Qt::blue));
    EXPECT_TRUE(near(image.pixelColor(183, 83), Qt::blue));
    EXPECT_TRUE(near(image.pixelColor(45, 44), Qt::green));
    EXPECT_TRUE(near(image.pixelColor(145, 44), Qt::magenta));
}

INSTANTIATE_TEST_SUITE_P(MetafilePicture, OfficeExport, ::testing::Values("wmf", "emf"));

// A brush deleted while a saved state holds it, its slot then taken by a
// font: restoring the state brings the brush back, not the font (libwmf
// crashed drawing with the font as a brush). Drawn in this process, twice.
TEST(MetafilePicture, RestoresAnObjectWhoseSlotWasTakenAgain) {
    WmfWriter wmf(QRect(0, 0, 1000, 500), 1000);
    wmf.setWindow(QRect(0, 0, 1000, 500));
    wmf.useSolidBrush(Qt::red); // pen in slot 0, brush in slot 1
    wmf.record(0x001E, {});     // SaveDC
    wmf.useSolidBrush(Qt::blue);
    wmf.rectangle(QRect(500, 0, 500, 500));
    wmf.record(0x01F0, {1}); // DeleteObject: the red brush
    // CreateFontIndirect (height 12, "Arial") takes slot 1 again.
    wmf.record(0x02FB, {12, 0, 0, 0, 400, 0, 0, 0, 0, 0x7241, 0x6169, 0x006C, 0, 0, 0, 0});
    wmf.record(0x0127, {0xFFFF}); // RestoreDC(-1)
    wmf.rectangle(QRect(0, 0, 500, 500));
    for (int round = 0; round < 2; ++round) {
        MetafilePicture picture;
        picture.loadFromData(wmf.finish());
        expectRedBlueHalves(picture.image());
    }
}

// Text set on its baseline, the alignment carried through saved states, then
// a shape drawn over half of it: the text stands on its baseline and lies
// under the shape drawn after it.
TEST(MetafilePicture, DrawsWmfTextOnItsBaselineAndInRecordOrder) {
    WmfWriter wmf(QRect(0, 0, 2000, 1000), 1000);
    wmf.setWindow(QRect(0, 0, 2000, 1000));
    wmf.useSolidBrush(Qt::blue);
    wmf.useFont(-400, "Arial");
    wmf.record(0x012E, {24});     // SetTextAlign(TA_BASELINE)
    wmf.record(0x001E, {});       // SaveDC
    wmf.record(0x001E, {});       // SaveDC
    wmf.record(0x0127, {0xFFFF}); // RestoreDC(-1)
    wmf.record(0x0127, {0xFFFF}); // RestoreDC(-1)
    wmf.textOut(QPoint(50, 700), "HHHHHHHH");
    wmf.rectangle(QRect(1000, 0, 1000, 1000));

    MetafilePicture picture;
    picture.loadFromData(wmf.finish());
    const QImage image = picture.image();
    ASSERT_EQ(image.size(), QSize(192, 96));
    const int baseline = 700 * 96 / 1000;
    const auto darkPixels = [&](QRect area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                count += qGray(image.pixel(x, y)) < 96 ? 1 : 0;
        }
        return count;
    };
    EXPECT_GT(darkPixels(QRect(QPoint(5, baseline - 25), QPoint(90, baseline - 2))), 100)
        << "no text above the baseline";
    EXPECT_EQ(darkPixels(QRect(QPoint(0, baseline + 3), QPoint(90, 95))), 0)
        << "text below the baseline";
    for (int y = 4; y < image.height() - 8; y += 4)
        EXPECT_TRUE(near(image.pixelColor(150, y), Qt::blue)) << "text over the shape at y=" << y;
}

// EMF text set at the advances its record gives, not the font's own, in each
// horizontal alignment: two letters 40 pixels apart, the pair 80 wide.
TEST(MetafilePicture, PlacesEmfTextAtItsRecordedAdvances) {
    struct Case {
        quint32 align; // TA_BASELINE with TA_LEFT, TA_CENTER, TA_RIGHT
        int x;
        int pairLeft;
    };
    for (const Case& c : {Case{24, 20, 20}, Case{24 | 6, 100, 60}, Case{24 | 2, 180, 100}}) {
        EmfWriter emf(QRect(0, 0, 200, 40));
        emf.useFont(-24, QStringLiteral("DejaVu Sans"));
        emf.record(22, {c.align}); // SetTextAlign
        emf.textOut(QPoint(c.x, 30), QStringLiteral("II"), {40, 40});
        MetafilePicture picture;
        picture.loadFromData(emf.finish());
        const QImage image = picture.image();
        // Where each run of inked columns starts.
        QList<int> starts;
        bool inked = false;
        for (int x = 0; x < image.width(); ++x) {
            bool dark = false;
            for (int y = 0; y < image.height() && !dark; ++y)
                dark = qGray(image.pixel(x, y)) < 128;
            if (dark && !inked)
                starts.append(x);
            inked = dark;
        }
        ASSERT_EQ(starts.size(), 2) << "alignment " << c.align;
        EXPECT_GE(starts[0], c.pairLeft) << "alignment " << c.align;
        EXPECT_LE(starts[0], c.pairLeft + 6) << "alignment " << c.align;
        EXPECT_NEAR(starts[1] - starts[0], 40, 1) << "alignment " << c.align;
    }
}

namespace {

// The columns and rows of `image` with ink in them, as a rectangle.
QRect inkOf(const QImage& image) {
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

QImage wmfText(qint16 height, quint16 align, int x, const QByteArray& text) {
    WmfWriter wmf(QRect(0, 0, 2000, 1000), 1000);
    wmf.setWindow(QRect(0, 0, 2000, 1000));
    wmf.useFont(height, "Arial");
    wmf.record(0x012E, {align}); // SetTextAlign
    wmf.textOut(QPoint(x, 700), text);
    MetafilePicture picture;
    picture.loadFromData(wmf.finish());
    return picture.image();
}

} // namespace

// WMF text drawn by libwmf's records: right-aligned text ends at its
// reference point and centred text is centred on it (libwmf centred both by
// its own guess of the width), and a positive height is the whole cell, so
// its letters are smaller than those of an em that large.
TEST(MetafilePicture, SetsWmfTextByItsAlignmentAndCellHeight) {
    constexpr quint16 Baseline = 24, Right = 2, Centre = 6;
    const QRect right = inkOf(wmfText(-300, Baseline | Right, 1900, "WWWWWW"));
    EXPECT_NEAR(right.right(), 1900 * 96 / 1000, 3);
    EXPECT_GT(right.width(), 60);
    const QRect centred = inkOf(wmfText(-300, Baseline | Centre, 1000, "WWWWWW"));
    EXPECT_NEAR(centred.center().x(), 96, 3);

    const QRect em = inkOf(wmfText(-400, Baseline, 100, "HHH"));
    const QRect cell = inkOf(wmfText(400, Baseline, 100, "HHH"));
    ASSERT_GT(em.height(), 20);
    EXPECT_NEAR(cell.height(), em.height() / 1.1172, 1.5);
}

// EMF text lies under a shape drawn after it, over one drawn before it.
TEST(MetafilePicture, DrawsEmfTextInRecordOrder) {
    EmfWriter emf(QRect(0, 0, 200, 60));
    emf.useSolidBrush(Qt::green);
    emf.rectangle(QRect(0, 0, 200, 60));
    emf.useFont(-30, QStringLiteral("DejaVu Sans"));
    emf.record(22, {24}); // SetTextAlign(TA_BASELINE)
    emf.textOut(QPoint(10, 45), QStringLiteral("HHHHHHHHH"), QList<qint32>(9, 20));
    emf.useSolidBrush(Qt::blue);
    emf.rectangle(QRect(100, 0, 100, 60));
    MetafilePicture picture;
    picture.loadFromData(emf.finish());
    const QImage image = picture.image();
    int text = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 200; ++x) {
            const bool dark = qGray(image.pixel(x, y)) < 64;
            if (x < 98) {
                text += dark ? 1 : 0;
            } else if (x > 101) {
                EXPECT_TRUE(near(image.pixelColor(x, y), Qt::blue)) << "at " << x << "," << y;
            }
        }
    }
    EXPECT_GT(text, 100) << "no text over the shape drawn before it";
}

// Rounded rectangles, pies and chords drawn with the null pen have no
// outline: the converter's one-pixel rim in the fill colour stays off the
// pixels around them. Rounded corners, with a pen or without, are as wide
// as half the corner size the record gives (the converter made them twice
// that).
TEST(MetafilePicture, DrawsEmfCurvedShapesAsWindowsDoes) {
    constexpr quint32 RoundRect = 44, Chord = 46, Pie = 47;
    const auto draw = [](quint32 type, const QList<quint32>& parameters, bool pen = false) {
        EmfWriter emf(QRect(0, 0, 40, 40));
        emf.useSolidBrush(Qt::red);
        if (pen)
            emf.record(37, {0x80000007}); // SelectObject(BLACK_PEN)
        emf.record(type, parameters);
        MetafilePicture picture;
        picture.loadFromData(emf.finish());
        return picture.image();
    };
    const auto white = [](const QImage& image, int x, int y) {
        return qRed(image.pixel(x, y)) > 245 && qGreen(image.pixel(x, y)) > 245;
    };
    const QImage rounded = draw(RoundRect, {5, 5, 35, 35, 12, 12});
    EXPECT_TRUE(near(rounded.pixelColor(20, 20), Qt::red));
    EXPECT_TRUE(near(rounded.pixelColor(20, 6), Qt::red));
    EXPECT_TRUE(near(rounded.pixelColor(7, 7), Qt::red));
    EXPECT_TRUE(near(draw(RoundRect, {5, 5, 35, 35, 12, 12}, true).pixelColor(7, 7), Qt::red));
    for (const QPoint p :
         {QPoint(4, 20), QPoint(20, 4), QPoint(35, 20), QPoint(20, 35), QPoint(6, 6)})
        EXPECT_TRUE(white(rounded, p.x(), p.y())) << "round rect at " << p.x() << "," << p.y();

    // The quarter from three o'clock round to twelve, counter-clockwise.
    const QImage pie = draw(Pie, {5, 5, 35, 35, 35, 20, 20, 5});
    EXPECT_TRUE(near(pie.pixelColor(27, 13), Qt::red));
    for (const QPoint p :
         {QPoint(20, 4), QPoint(35, 19), QPoint(19, 12), QPoint(27, 20), QPoint(13, 27)})
        EXPECT_TRUE(white(pie, p.x(), p.y())) << "pie at " << p.x() << "," << p.y();

    const QImage chord = draw(Chord, {5, 5, 35, 35, 35, 20, 20, 5});
    EXPECT_TRUE(near(chord.pixelColor(30, 10), Qt::red));
    for (const QPoint p : {QPoint(20, 4), QPoint(35, 19), QPoint(24, 16)})
        EXPECT_TRUE(white(chord, p.x(), p.y())) << "chord at " << p.x() << "," << p.y();
}

// Letters a WMF string's advances join into one ligature (the first takes
// the width, the others none) are drawn together at the first one's place;
// libwmf set them apart, on top of the letter after them.
TEST(MetafilePicture, DrawsWmfLigaturesTogether) {
    WmfWriter wmf(QRect(0, 0, 400, 100), 96);
    wmf.setWindow(QRect(0, 0, 400, 100));
    wmf.useFont(-40, "DejaVu Sans");
    wmf.record(0x012E, {24}); // SetTextAlign(TA_BASELINE)
    // ExtTextOut "ffiHH" at (100, 70), no options; advances 60, 0, 0, 60, 60.
    wmf.record(0x0A32, {70, 100, 5, 0, 'f' | ('f' << 8), 'i' | ('H' << 8), 'H', 60, 0, 0, 60, 60});
    MetafilePicture picture;
    picture.loadFromData(wmf.finish());
    const QImage image = picture.image();
    int inked = 0;
    for (int x = 95; x < 150; ++x) {
        bool dark = false;
        for (int y = 0; y < image.height() && !dark; ++y)
            dark = qGray(image.pixel(x, y)) < 128;
        inked += dark ? 1 : 0;
    }
    EXPECT_GT(inked, 20) << "the ligature's letters apart";
}

// A WMF carrying an EMF copy of its drawing in escape records is drawn from
// the copy; a copy whose pieces do not add up is passed over for the WMF
// records.
TEST(MetafilePicture, DrawsTheEmfCopyAWmfCarries) {
    const QByteArray copy = redBlueEmf(QSize(96, 48));
    for (const bool whole : {true, false}) {
        WmfWriter wmf(QRect(0, 0, 1000, 500), 1000);
        wmf.emfCopy(copy, 100, quint32(copy.size()) + (whole ? 0 : 4));
        wmf.setWindow(QRect(0, 0, 1000, 500));
        wmf.useSolidBrush(Qt::green);
        wmf.rectangle(QRect(0, 0, 1000, 500));
        MetafilePicture picture;
        picture.loadFromData(wmf.finish());
        ASSERT_EQ(picture.image().size(), QSize(96, 48));
        if (whole)
            expectRedBlueHalves(picture.image());
        else
            EXPECT_TRUE(near(picture.image().pixelColor(48, 24), Qt::green));
    }
}

// Pens and brushes as Windows draws them: lines end and join round, a pen of
// no width is a whole pixel, a rounded rectangle has round corners, a dotted
// pen leaves gaps, a hatch shows lines with the paper between them.
TEST(MetafilePicture, DrawsWmfShapesWithWindowsPensAndBrushes) {
    WmfWriter wmf(QRect(0, 0, 200, 200), 96);
    wmf.setWindow(QRect(0, 0, 200, 200));
    const auto pen = [&](quint16 style, quint16 width, quint16 red) {
        wmf.record(0x02FA, {style, width, 0, red, 0}); // CreatePenIndirect
    };
    const auto brush = [&](quint16 style, quint16 green, quint16 hatch) {
        wmf.record(0x02FC, {style, quint16(green << 8), 0, hatch}); // CreateBrushIndirect
    };
    const auto select = [&](quint16 slot) { wmf.record(0x012D, {slot}); };
    wmf.addObjects(6);
    pen(0, 10, 255);  // slot 0: solid, 10 wide, red
    brush(0, 255, 0); // slot 1: solid green
    pen(0, 0, 0);     // slot 2: solid, no width, black
    brush(1, 0, 0);   // slot 3: null
    pen(2, 0, 0);     // slot 4: dotted, black
    brush(2, 255, 4); // slot 5: green cross hatch
    select(0);
    select(1);
    wmf.record(0x0325, {2, 20, 20, 60, 20}); // Polyline (20,20)-(60,20)
    wmf.record(0x0418, {90, 190, 10, 110});  // Ellipse (110,10)-(190,90)
    select(2);
    select(3);
    wmf.record(0x041B, {95, 100, 60, 20}); // Rectangle (20,60)-(100,95)
    select(1);
    wmf.record(0x061C, {30, 30, 135, 190, 100, 120}); // RoundRect, corners 30 × 30
    select(4);
    wmf.record(0x0214, {130, 10});  // MoveTo (10,130)
    wmf.record(0x0213, {130, 100}); // LineTo (100,130)
    select(5);
    wmf.record(0x041B, {55, 100, 30, 20}); // Rectangle (20,30)-(100,55)
    select(1);
    select(2);
    // Chord of (110,140)-(190,195) from its top right corner round to its
    // bottom left one, counter-clockwise: the upper left half.
    wmf.record(0x0830, {195, 110, 140, 190, 195, 190, 140, 110});
    MetafilePicture picture;
    picture.loadFromData(wmf.finish());
    const QImage image = picture.image();
    ASSERT_EQ(image.size(), QSize(200, 200));
    EXPECT_TRUE(near(image.pixelColor(63, 20), Qt::red)) << "the line's round end";
    EXPECT_TRUE(near(image.pixelColor(150, 50), Qt::green)) << "the ellipse filled";
    EXPECT_LT(qGray(image.pixel(20, 80)), 64) << "a pen of no width, a whole pixel";
    EXPECT_TRUE(near(image.pixelColor(122, 102), Qt::white)) << "the rounded corner";
    EXPECT_TRUE(near(image.pixelColor(155, 118), Qt::green)) << "the rounded rectangle filled";
    int dark = 0;
    int paper = 0;
    for (int x = 20; x < 90; ++x)
        (qGray(image.pixel(x, 130)) < 128 ? dark : paper) += 1;
    EXPECT_GT(dark, 20) << "dots";
    EXPECT_GT(paper, 20) << "gaps between them";
    int hatched = 0;
    int between = 0;
    for (int x = 30; x < 90; ++x)
        (near(image.pixelColor(x, 42), Qt::green) ? hatched : between) += 1;
    EXPECT_GT(hatched, 5) << "hatch lines";
    EXPECT_GT(between, 30) << "paper between them";
    EXPECT_TRUE(near(image.pixelColor(125, 150), Qt::green)) << "the chord's half";
    EXPECT_TRUE(near(image.pixelColor(175, 185), Qt::white)) << "the other half";
}
