#include "components/cgrid/Cgrid.h"
#include "components/palette/Palette.h"

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// Everything the grid reports, in the order it reports it.
class Recorder {
public:
    explicit Recorder(TCColorGrid& grid) {
        QObject::connect(&grid, &TCColorGrid::OnChange, [this] { events << "change"; });
        QObject::connect(&grid, &TCColorGrid::OnClick, [this] { events << "click"; });
        QObject::connect(&grid, &TCColorGrid::OnKeyDown, [this] { events << "keydown"; });
        QObject::connect(&grid, &TCColorGrid::OnMouseDown, [this] { events << "mousedown"; });
        QObject::connect(&grid, &TCColorGrid::OnMouseUp, [this] { events << "mouseup"; });
    }
    QStringList events;
};

class cgridWidget : public ::testing::Test {
protected:
    void mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint at) {
        QMouseEvent event(type, QPointF(at), grid.mapToGlobal(QPointF(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(&grid, &event);
    }
    void press(Qt::MouseButton button, QPoint at) {
        mouse(QEvent::MouseButtonPress, button, button, at);
    }
    void drag(Qt::MouseButton button, QPoint at) {
        mouse(QEvent::MouseMove, Qt::NoButton, button, at);
    }
    void release(Qt::MouseButton button, QPoint at) {
        mouse(QEvent::MouseButtonRelease, button, Qt::NoButton, at);
    }
    // Answers whether the grid took the key.
    bool key(int code) {
        QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
        QApplication::sendEvent(&grid, &event);
        return event.isAccepted();
    }
    void focus(bool in) {
        QFocusEvent event(in ? QEvent::FocusIn : QEvent::FocusOut, Qt::OtherFocusReason);
        QApplication::sendEvent(&grid, &event);
    }
    [[nodiscard]] QImage screen() {
        return grid.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // How many pixels inside cell `cell`, away from its outline, have colour `colour`.
    [[nodiscard]] int pixelsInCell(const QImage& image, int cell, const QColor& colour) {
        const QRect inside =
            Cgrid::cellRect(cell, Cgrid::Layout{grid.columns(), grid.rows()}, grid.cellSize())
                .adjusted(3, 3, -3, -3);
        int count = 0;
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                count += image.pixel(x, y) == colour.rgb() ? 1 : 0;
        return count;
    }

    TCColorGrid grid;
};

} // namespace

TEST(cgridDefaults, PublishedPropertiesStartAsDocumented) {
    TCColorGrid grid;
    EXPECT_EQ(grid.geometry(), QRect(0, 0, 100, 100));
    EXPECT_EQ(grid.property("GridOrdering").value<TCColorGrid::TGridOrdering>(),
              TCColorGrid::go4x4);
    EXPECT_EQ(grid.cellSize(), QSize(25, 25));
    EXPECT_FALSE(grid.property("ClickEnablesColor").toBool());
    EXPECT_EQ(grid.property("ForegroundIndex").toInt(), 0);
    EXPECT_EQ(grid.property("BackgroundIndex").toInt(), 0);
    EXPECT_TRUE(grid.property("ForegroundEnabled").toBool());
    EXPECT_TRUE(grid.property("BackgroundEnabled").toBool());
    EXPECT_EQ(grid.property("Selection").toInt(), 0);
    EXPECT_TRUE(grid.property("Ctl3D").toBool());
    EXPECT_TRUE(grid.property("TabStop").toBool());
}

TEST_F(cgridWidget, SwitchingToOneRowKeepsWholeCells) {
    // Six-pixel cells still show their colour inside the sunken frame.
    grid.SetGridOrdering(TCColorGrid::go16x1);
    EXPECT_EQ(grid.size(), QSize(96, 100));
    EXPECT_EQ(grid.cellSize(), QSize(6, 100));
    const QImage image = screen();
    EXPECT_EQ(image.size(), QSize(96, 100));
    EXPECT_EQ(QColor(image.pixel(8, 90)), grid.cellColor(1)); // below the spilling label
    EXPECT_EQ(QColor(image.pixel(92, 80)), grid.cellColor(15));
    EXPECT_EQ(grid.cellColor(15), QColor(255, 255, 255));

    grid.show();
    grid.resize(70, 70);
    EXPECT_EQ(grid.size(), QSize(64, 70)); // resizing keeps to whole cells
    EXPECT_EQ(grid.cellSize(), QSize(4, 70));
}

TEST_F(cgridWidget, LabelsContrastWithTheirCells) {
    grid.SetCtl3D(false);
    QFont large = grid.font();
    large.setPixelSize(14);
    large.setBold(true);
    grid.setFont(large);
    grid.EnableBackground(false);
    struct Case {
        int cell;
        QColor label;
    };
    // White, black, yellow and dark blue cells.
    for (const Case& c : {Case{15, Qt::black}, Case{0, Qt::white}, Case{11, QColor(0, 0, 255)},
                          Case{4, QColor(255, 255, 0)}}) {
        grid.SetForegroundIndex(c.cell);
        EXPECT_GT(pixelsInCell(screen(), c.cell, c.label), 10) << c.cell;
    }
}

TEST_F(cgridWidget, SharedCellIsLabelledFB) {
    grid.SetCtl3D(false);
    QFont large = grid.font();
    large.setPixelSize(14);
    grid.setFont(large);
    const int cell = 4; // dark blue, yellow letters
    const QColor letters(255, 255, 0);
    const auto lettersOf = [&](const QString& text) {
        QImage expected(grid.cellSize(), QImage::Format_RGB32);
        expected.fill(grid.cellColor(cell));
        QPainter painter(&expected);
        painter.setFont(large);
        painter.setPen(letters);
        painter.drawText(expected.rect(), Qt::AlignCenter, text);
        painter.end();
        return expected;
    };
    // Only the fully covered pixels of the letters, everything else the cell.
    const auto masked = [&](QImage image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != letters.rgb())
                    image.setPixel(x, y, grid.cellColor(cell).rgb());
        return image;
    };
    const auto shownLetters = [&] {
        return masked(screen().copy(Cgrid::cellRect(cell, Cgrid::Layout{4, 4}, grid.cellSize())));
    };

    grid.SetForegroundIndex(cell);
    grid.SetBackgroundIndex(cell);
    EXPECT_EQ(shownLetters(), masked(lettersOf("FB")));
    EXPECT_NE(shownLetters(), masked(lettersOf("FG")));

    grid.EnableBackground(false);
    EXPECT_EQ(shownLetters(), masked(lettersOf("FG")));
    grid.EnableBackground(true);
    grid.EnableForeground(false);
    EXPECT_EQ(shownLetters(), masked(lettersOf("BG")));
}

TEST_F(cgridWidget, CellsAreSunkenAndTheFocusedSelectionDotted) {
    QPalette colours = grid.palette();
    colours.setColor(QPalette::Button, QColor(10, 20, 30));
    colours.setColor(QPalette::Dark, QColor(40, 50, 60));
    colours.setColor(QPalette::Light, QColor(70, 80, 90));
    grid.setPalette(colours);
    grid.SetSelection(5); // dark magenta, at (25, 25)

    QImage image = screen();
    EXPECT_EQ(QColor(image.pixel(25, 25)), QColor(10, 20, 30));
    EXPECT_EQ(QColor(image.pixel(26, 30)), QColor(40, 50, 60)); // left, outer ring
    EXPECT_EQ(QColor(image.pixel(30, 27)), QColor(40, 50, 60)); // top, inner ring
    EXPECT_EQ(QColor(image.pixel(48, 30)), QColor(70, 80, 90)); // right
    EXPECT_EQ(QColor(image.pixel(30, 47)), QColor(70, 80, 90)); // bottom, inner ring
    EXPECT_EQ(QColor(image.pixel(29, 29)), grid.cellColor(5));
    EXPECT_EQ(QColor(image.pixel(29, 30)), grid.cellColor(5));

    focus(true);
    image = screen();
    const QRgb inverted = grid.cellColor(5).rgb() ^ 0x00ffffffu;
    EXPECT_EQ(image.pixel(29, 29), inverted);
    EXPECT_EQ(image.pixel(30, 29), grid.cellColor(5).rgb());
    EXPECT_EQ(image.pixel(29, 31), inverted);
    EXPECT_EQ(image.pixel(37, 29), inverted);
    EXPECT_EQ(image.pixel(0, 0), screen().pixel(0, 0)); // other cells untouched

    focus(false);
    EXPECT_EQ(QColor(screen().pixel(29, 29)), grid.cellColor(5));
}

TEST_F(cgridWidget, FlatSelectionInvertsTheOutline) {
    grid.SetCtl3D(false);
    grid.SetSelection(1); // dark red, at (25, 0)
    focus(true);
    const QImage image = screen();
    const QColor cell = grid.cellColor(1);
    EXPECT_EQ(QColor(image.pixel(30, 0)), QColor(255, 255, 255)); // inverted black outline
    EXPECT_EQ(QColor(image.pixel(30, 1)), cell);
    EXPECT_EQ(QColor(image.pixel(30, 2)), QColor(0, 0, 0)); // inner outline
    EXPECT_EQ(QColor(image.pixel(30, 3)), cell);
    EXPECT_EQ(QColor(image.pixel(47, 10)), QColor(0, 0, 0)); // inner outline, right side
    EXPECT_EQ(QColor(image.pixel(10, 0)), QColor(0, 0, 0));  // an unselected cell
}

TEST_F(cgridWidget, PressPicksThenReportsChange) {
    Recorder recorder(grid);
    press(Qt::LeftButton, QPoint(60, 30)); // cell 6
    EXPECT_EQ(grid.ForegroundIndex(), 6);
    EXPECT_EQ(grid.BackgroundIndex(), 0);
    EXPECT_EQ(grid.Selection(), 6);
    EXPECT_EQ(grid.GetForegroundColor(), grid.cellColor(6));
    release(Qt::LeftButton, QPoint(60, 30));
    EXPECT_EQ(recorder.events, QStringList({"mousedown", "change", "mouseup", "click"}));

    recorder.events.clear();
    press(Qt::LeftButton, QPoint(60, 30)); // the same cell: no change
    EXPECT_EQ(recorder.events, QStringList({"mousedown"}));
}

TEST_F(cgridWidget, RightDragOutsidePicksTheNearestCell) {
    press(Qt::RightButton, QPoint(10, 60)); // cell 8
    EXPECT_EQ(grid.BackgroundIndex(), 8);
    drag(Qt::RightButton, QPoint(300, 60));
    EXPECT_EQ(grid.BackgroundIndex(), 11);
    EXPECT_EQ(grid.Selection(), 11);
    drag(Qt::RightButton, QPoint(300, 300));
    EXPECT_EQ(grid.BackgroundIndex(), 15);
    EXPECT_EQ(grid.ForegroundIndex(), 0);
    release(Qt::RightButton, QPoint(300, 300));
    drag(Qt::NoButton, QPoint(10, 10));
    EXPECT_EQ(grid.BackgroundIndex(), 15);
    EXPECT_EQ(grid.Selection(), 15);
}

TEST_F(cgridWidget, DisabledChoiceComesBackOnlyWhenClicksMayEnableIt) {
    grid.EnableForeground(false);
    Recorder recorder(grid);
    press(Qt::LeftButton, QPoint(80, 80)); // cell 15
    release(Qt::LeftButton, QPoint(80, 80));
    EXPECT_EQ(grid.ForegroundIndex(), 0);
    EXPECT_FALSE(grid.ForegroundEnabled());
    EXPECT_EQ(grid.Selection(), 15);
    EXPECT_FALSE(recorder.events.contains("change"));

    // Dragging never re-enables.
    grid.SetClickEnablesColor(true);
    press(Qt::RightButton, QPoint(80, 80));
    drag(Qt::LeftButton, QPoint(10, 10));
    release(Qt::RightButton, QPoint(10, 10));
    EXPECT_FALSE(grid.ForegroundEnabled());

    recorder.events.clear();
    press(Qt::LeftButton, QPoint(10, 10)); // cell 0, already the index: still a change
    EXPECT_TRUE(grid.ForegroundEnabled());
    EXPECT_EQ(grid.ForegroundIndex(), 0);
    EXPECT_EQ(recorder.events, QStringList({"mousedown", "change"}));
}

TEST_F(cgridWidget, FAndBKeysPickTheSelectionThenClick) {
    Recorder recorder(grid);
    EXPECT_TRUE(key(Qt::Key_End));
    EXPECT_TRUE(key(Qt::Key_F));
    EXPECT_EQ(grid.ForegroundIndex(), 15);
    EXPECT_EQ(recorder.events, QStringList({"keydown", "keydown", "change", "click"}));

    recorder.events.clear();
    EXPECT_TRUE(key(Qt::Key_Up));
    EXPECT_TRUE(key(Qt::Key_B));
    EXPECT_EQ(grid.BackgroundIndex(), 11);
    EXPECT_EQ(recorder.events, QStringList({"keydown", "keydown", "change", "click"}));

    recorder.events.clear();
    EXPECT_TRUE(key(Qt::Key_B)); // unchanged: no change, still a click
    EXPECT_EQ(recorder.events, QStringList({"keydown", "click"}));

    grid.EnableBackground(false);
    grid.SetClickEnablesColor(true);
    EXPECT_TRUE(key(Qt::Key_Home));
    EXPECT_TRUE(key(Qt::Key_B));
    EXPECT_TRUE(grid.BackgroundEnabled());
    EXPECT_EQ(grid.BackgroundIndex(), 0);
}

TEST_F(cgridWidget, ArrowKeysWrapAndOtherKeysPassOnOnce) {
    Recorder recorder(grid);
    grid.SetSelection(2);
    EXPECT_TRUE(key(Qt::Key_Up));
    EXPECT_EQ(grid.Selection(), 13);
    EXPECT_TRUE(key(Qt::Key_Down));
    EXPECT_EQ(grid.Selection(), 2);
    EXPECT_TRUE(key(Qt::Key_Left));
    EXPECT_TRUE(key(Qt::Key_Space));
    EXPECT_TRUE(key(Qt::Key_Space));
    EXPECT_EQ(grid.Selection(), 3);

    recorder.events.clear();
    EXPECT_FALSE(key(Qt::Key_PageDown));
    EXPECT_EQ(grid.Selection(), 3);
    EXPECT_EQ(recorder.events, QStringList({"keydown"}));
    EXPECT_TRUE(grid.ForegroundIndex() == 0 && grid.BackgroundIndex() == 0);
}

TEST_F(cgridWidget, IndicesOutsideTheGridAreRefused) {
    EXPECT_THROW(grid.SetForegroundIndex(16), ECColorGridError);
    EXPECT_THROW(grid.SetBackgroundIndex(-1), ECColorGridError);
    try {
        grid.SetSelection(99);
        FAIL() << "no error";
    } catch (const ECColorGridError& error) {
        EXPECT_EQ(error.message(), "0 から 15 の間の値でなければなりません");
    }
    EXPECT_THROW(grid.SetGridOrdering(static_cast<TCColorGrid::TGridOrdering>(7)),
                 ECColorGridError);

    // Qt's property system, as a stored form uses it, ignores them instead.
    grid.setProperty("ForegroundIndex", 20);
    grid.setProperty("Selection", -3);
    grid.setProperty("GridOrdering", 9);
    EXPECT_EQ(grid.ForegroundIndex(), 0);
    EXPECT_EQ(grid.Selection(), 0);
    EXPECT_EQ(grid.GridOrdering(), TCColorGrid::go4x4);
    grid.setProperty("ForegroundIndex", 3);
    grid.setProperty("GridOrdering", QVariant::fromValue(TCColorGrid::go8x2));
    EXPECT_EQ(grid.ForegroundIndex(), 3);
    EXPECT_EQ(grid.columns(), 8);
}

TEST(cgridRegistration, PutsTheGridOnThePalette) {
    Cgrid::Register();
    const auto& entries = palette::registeredComponents();
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [](const auto& e) { return e.className == "TCColorGrid"; });
    ASSERT_NE(entry, entries.end());
    EXPECT_EQ(entry->includeFile, "components/cgrid/Cgrid.h");
    EXPECT_FALSE(entry->icon.isNull());
    EXPECT_TRUE(entry->domXml.contains("class=\"TCColorGrid\""));
    QWidget parent;
    EXPECT_NE(qobject_cast<TCColorGrid*>(entry->create(&parent)), nullptr);
}

TEST_F(cgridWidget, LabelsStayInsideTheirCellsWhateverTheFont) {
    grid.SetGridOrdering(TCColorGrid::go8x2);
    grid.resize(96, 100);
    grid.SetBackgroundIndex(1);
    for (const int points : {9, 24}) {
        QFont font = grid.font();
        font.setPointSize(points);
        grid.setFont(font);
        grid.EnableForeground(false);
        grid.EnableBackground(false);
        const QImage bare = screen();
        grid.EnableForeground(true);
        grid.EnableBackground(true);
        const QImage labelled = screen();
        const Cgrid::Layout layout{grid.columns(), grid.rows()};
        const QRect fg = Cgrid::cellRect(0, layout, grid.cellSize());
        const QRect bg = Cgrid::cellRect(1, layout, grid.cellSize());
        int inside = 0;
        for (int y = 0; y < bare.height(); ++y) {
            for (int x = 0; x < bare.width(); ++x) {
                if (bare.pixel(x, y) == labelled.pixel(x, y))
                    continue;
                const bool inCell = fg.contains(x, y) || bg.contains(x, y);
                EXPECT_TRUE(inCell) << points << "pt: label pixel at " << x << "," << y;
                inside += inCell ? 1 : 0;
            }
        }
        EXPECT_GT(inside, 0) << points << "pt";
    }
}
