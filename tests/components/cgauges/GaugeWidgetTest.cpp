#include "components/cgauges/Cgauges.h"
#include "components/palette/Palette.h"

#include <QEvent>
#include <QImage>
#include <QTest>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace {

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 160, 0);

class cgaugesWidget : public ::testing::Test {
protected:
    cgaugesWidget() {
        gauge.SetShowText(false);
        gauge.SetForeColor(QColor(kRed));
    }

    // What the gauge puts on the screen.
    [[nodiscard]] QImage screen() {
        return gauge.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    TCGauge gauge;
};

int countPaints(QWidget& widget, const std::function<void()>& action) {
    struct Counter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    } counter;
    widget.installEventFilter(&counter);
    action();
    widget.removeEventFilter(&counter);
    return counter.paints;
}

} // namespace

TEST(cgaugesDefaults, PublishedPropertiesStartAsDocumented) {
    TCGauge gauge;
    EXPECT_EQ(gauge.size(), QSize(100, 100));
    EXPECT_EQ(gauge.property("Kind").value<TCGauge::TCGaugeKind>(), TCGauge::gkHorizontalBar);
    EXPECT_TRUE(gauge.property("ShowText").toBool());
    EXPECT_EQ(gauge.property("BorderStyle").value<TCGauge::TFormBorderStyle>(), TCGauge::bsSingle);
    EXPECT_EQ(gauge.property("ForeColor").value<QColor>(), QColor(0, 0, 0));
    EXPECT_EQ(gauge.property("BackColor").value<QColor>(), QColor(255, 255, 255));
    EXPECT_EQ(gauge.property("MinValue").toInt(), 0);
    EXPECT_EQ(gauge.property("MaxValue").toInt(), 100);
    EXPECT_EQ(gauge.property("Progress").toInt(), 0);
    EXPECT_TRUE(gauge.testAttribute(Qt::WA_OpaquePaintEvent));
}

TEST_F(cgaugesWidget, HorizontalBarAtAThirdFillsColumnsOneToThirtyOne) {
    gauge.SetProgress(33);
    EXPECT_EQ(gauge.GetPercentDone(), 33);
    const QImage image = screen();
    for (int y : {1, 50, 98}) {
        EXPECT_EQ(image.pixel(0, y), kBlack) << "frame, row " << y;
        EXPECT_EQ(image.pixel(1, y), kRed) << y;
        EXPECT_EQ(image.pixel(31, y), kRed) << y;
        EXPECT_EQ(image.pixel(32, y), kWhite) << y;
        EXPECT_EQ(image.pixel(98, y), kWhite) << y;
        EXPECT_EQ(image.pixel(99, y), kBlack) << "frame, row " << y;
    }
    EXPECT_EQ(image.pixel(10, 0), kBlack);
    EXPECT_EQ(image.pixel(10, 99), kBlack);
}

TEST_F(cgaugesWidget, TextInvertsExactlyThePixelsUnderIt) {
    gauge.SetForeColor(Qt::black);
    gauge.SetProgress(50);
    const QImage plain = screen();
    gauge.SetShowText(true);
    const QImage labelled = screen();

    int overFill = 0;
    int overRest = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            if (plain.pixel(x, y) == labelled.pixel(x, y))
                continue;
            ASSERT_EQ(labelled.pixel(x, y), plain.pixel(x, y) ^ 0x00ffffffu) << x << "," << y;
            ASSERT_TRUE(x >= 1 && x <= 98 && y >= 1 && y <= 98) << "text outside " << x << "," << y;
            (plain.pixel(x, y) == kBlack ? overFill : overRest) += 1;
        }
    }
    // "50%" straddles the end of the fill: white letters on it, black beside.
    EXPECT_GT(overFill, 0);
    EXPECT_GT(overRest, 0);
}

TEST_F(cgaugesWidget, EmptyRangeShowsNothingFilled) {
    gauge.SetMaxValue(0); // 0 is a valid maximum
    EXPECT_EQ(gauge.MaxValue(), 0);
    EXPECT_EQ(gauge.GetPercentDone(), 0);
    const QImage image = screen();
    for (int x = 1; x <= 98; ++x)
        EXPECT_EQ(image.pixel(x, 50), kWhite) << x;
}

TEST_F(cgaugesWidget, ProgressIsLimitedAndFollowsTheBounds) {
    gauge.SetProgress(150);
    EXPECT_EQ(gauge.Progress(), 100);
    gauge.SetProgress(-5);
    EXPECT_EQ(gauge.Progress(), 0);

    gauge.SetProgress(20);
    gauge.SetMinValue(40);
    EXPECT_EQ(gauge.Progress(), 40);
    gauge.SetProgress(90);
    gauge.SetMaxValue(60);
    EXPECT_EQ(gauge.Progress(), 60);

    gauge.SetMinValue(std::numeric_limits<int>::min());
    gauge.SetMaxValue(std::numeric_limits<int>::max());
    gauge.SetProgress(std::numeric_limits<int>::max() - 1);
    gauge.AddProgress(10);
    EXPECT_EQ(gauge.Progress(), std::numeric_limits<int>::max());
    gauge.AddProgress(std::numeric_limits<int>::min());
    EXPECT_EQ(gauge.Progress(), -1);
}

TEST_F(cgaugesWidget, CrossingBoundsThrowAndChangeNothing) {
    gauge.SetProgress(30);
    try {
        gauge.SetMinValue(150);
        FAIL() << "no error";
    } catch (const ECGaugeError& error) {
        EXPECT_EQ(error.message(), "-2147483648 から 100 の間の値でなければなりません");
    }
    try {
        gauge.SetMaxValue(-1);
        FAIL() << "no error";
    } catch (const ECGaugeError& error) {
        EXPECT_EQ(error.message(), "0 から 2147483647 の間の値でなければなりません");
    }
    EXPECT_EQ(gauge.MinValue(), 0);
    EXPECT_EQ(gauge.MaxValue(), 100);
    EXPECT_EQ(gauge.Progress(), 30);
}

TEST_F(cgaugesWidget, StoredRangesLoadInEitherOrder) {
    EXPECT_TRUE(gauge.setProperty("MinValue", 200));
    EXPECT_TRUE(gauge.setProperty("MaxValue", 300));
    EXPECT_EQ(gauge.MinValue(), 200);
    EXPECT_EQ(gauge.MaxValue(), 300);
    EXPECT_EQ(gauge.Progress(), 200);

    TCGauge other;
    other.setProperty("MaxValue", -200);
    other.setProperty("MinValue", -300);
    other.setProperty("Progress", -250);
    EXPECT_EQ(other.MinValue(), -300);
    EXPECT_EQ(other.MaxValue(), -200);
    EXPECT_EQ(other.GetPercentDone(), 50);
}

TEST_F(cgaugesWidget, WithoutFrameTheDisplayCoversTheControl) {
    gauge.SetBorderStyle(TCGauge::bsNone);
    gauge.SetProgress(100);
    const QImage image = screen();
    for (QPoint corner : {QPoint(0, 0), QPoint(99, 0), QPoint(0, 99), QPoint(99, 99)})
        EXPECT_EQ(image.pixel(corner), kRed) << corner.x() << "," << corner.y();
}

TEST_F(cgaugesWidget, VerticalBarStopsOnePixelShortOfTheTop) {
    gauge.SeTCGaugeKind(TCGauge::gkVerticalBar);
    gauge.SetBorderStyle(TCGauge::bsNone);
    gauge.SetProgress(100);
    QImage image = screen();
    EXPECT_EQ(image.pixel(50, 0), kWhite);
    EXPECT_EQ(image.pixel(50, 1), kRed);
    EXPECT_EQ(image.pixel(50, 99), kRed);

    gauge.SetBorderStyle(TCGauge::bsSingle);
    gauge.SetProgress(50);
    image = screen();
    EXPECT_EQ(image.pixel(50, 0), kBlack);
    EXPECT_EQ(image.pixel(50, 49), kWhite);
    EXPECT_EQ(image.pixel(50, 50), kRed);
    EXPECT_EQ(image.pixel(50, 98), kRed);
    EXPECT_EQ(image.pixel(50, 99), kBlack);
}

TEST_F(cgaugesWidget, PieAtAQuarterCoversTheUpperRightQuarter) {
    gauge.SeTCGaugeKind(TCGauge::gkPie);
    gauge.SetColor(QColor(kGreen));
    gauge.SetProgress(25);
    const QImage image = screen();
    EXPECT_EQ(image.pixel(70, 30), kRed);
    EXPECT_EQ(image.pixel(55, 10), kRed);
    EXPECT_EQ(image.pixel(90, 45), kRed);
    EXPECT_EQ(image.pixel(30, 30), kWhite);
    EXPECT_EQ(image.pixel(70, 70), kWhite);
    EXPECT_EQ(image.pixel(30, 70), kWhite);
    EXPECT_EQ(image.pixel(3, 3), kGreen); // outside the dial
    EXPECT_EQ(image.pixel(0, 0), kBlack); // frame

    gauge.SetProgress(100);
    const QImage full = screen();
    for (QPoint inside : {QPoint(50, 4), QPoint(49, 4), QPoint(48, 10), QPoint(30, 70)})
        EXPECT_EQ(full.pixel(inside), kRed) << inside.x() << "," << inside.y();
}

TEST_F(cgaugesWidget, NeedleStandsUpAtHalf) {
    gauge.SeTCGaugeKind(TCGauge::gkNeedle);
    gauge.SetColor(QColor(kGreen));
    gauge.SetProgress(50);
    const QImage image = screen();
    const auto needleAt = [&](int y) {
        return image.pixel(49, y) == kRed || image.pixel(50, y) == kRed;
    };
    EXPECT_TRUE(needleAt(30));
    EXPECT_TRUE(needleAt(90));
    EXPECT_EQ(image.pixel(20, 80), kWhite); // the dial
    EXPECT_EQ(image.pixel(80, 80), kWhite);
    EXPECT_EQ(image.pixel(3, 5), kGreen); // beside the dial
    EXPECT_EQ(image.pixel(30, 99), kRed); // the base line
}

TEST_F(cgaugesWidget, RepaintsOnlyWhenTheWholePercentChanges) {
    gauge.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&gauge));
    gauge.SetMaxValue(1000);
    EXPECT_EQ(countPaints(gauge, [&] { gauge.SetProgress(330); }), 1);
    EXPECT_EQ(countPaints(gauge, [&] { gauge.SetProgress(335); }), 0);
    EXPECT_EQ(gauge.Progress(), 335);
    EXPECT_EQ(countPaints(gauge, [&] { gauge.SetProgress(340); }), 1);
    EXPECT_EQ(countPaints(gauge, [&] { gauge.AddProgress(1); }), 1);
}

TEST(cgaugesRegistration, PutsTheGaugeOnThePalette) {
    Cgauges::Register();
    const auto& entries = palette::registeredComponents();
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [](const auto& e) { return e.className == "TCGauge"; });
    ASSERT_NE(entry, entries.end());
    EXPECT_EQ(entry->includeFile, "components/cgauges/Cgauges.h");
    EXPECT_FALSE(entry->icon.isNull());
    EXPECT_TRUE(entry->domXml.contains("class=\"TCGauge\""));
    EXPECT_TRUE(entry->domXml.contains("<width>100</width>"));
    QWidget parent;
    QWidget* created = entry->create(&parent);
    EXPECT_NE(qobject_cast<TCGauge*>(created), nullptr);
    EXPECT_EQ(created->parent(), &parent);
}

TEST_F(cgaugesWidget, ADisabledGaugeIsDrawnGreyOnTheSamePixels) {
    gauge.SetProgress(50);
    const QImage enabled = screen();
    gauge.setEnabled(false);
    const QImage disabled = screen();
    ASSERT_EQ(enabled.size(), disabled.size());
    bool anyRed = false;
    for (int y = 0; y < disabled.height(); ++y) {
        for (int x = 0; x < disabled.width(); ++x) {
            const QRgb pixel = disabled.pixel(x, y);
            EXPECT_EQ(qRed(pixel), qGreen(pixel)) << x << "," << y;
            EXPECT_EQ(qGreen(pixel), qBlue(pixel)) << x << "," << y;
            // Black frame stays black; everything else changed only in colour.
            EXPECT_EQ(enabled.pixel(x, y) == qRgb(0, 0, 0), pixel == qRgb(0, 0, 0));
            anyRed = anyRed || enabled.pixel(x, y) == kRed;
        }
    }
    EXPECT_TRUE(anyRed);
}
