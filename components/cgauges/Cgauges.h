#pragma once

// TCGauge: shows how far `Progress` has come between `MinValue` and
// `MaxValue` as a percentage, in one of five forms (text only, horizontal bar,
// vertical bar, pie, needle on a half dial), with the percentage text laid over
// it inverted against what lies beneath. Every paint composes the picture
// off-screen (a black image, the display XOR-ed onto it, the text XOR-ed over
// that) and copies it to the screen in one step, so the gauge never flickers.
//
// Decisions this widget makes:
// - Out-of-range bounds: `SetMinValue` above `MaxValue` and `SetMaxValue` below
//   `MinValue` throw ECGaugeError and change nothing. The message names the
//   whole range the rejected bound could take: "-2147483648 から <MaxValue>"
//   for a minimum, "<MinValue> から 2147483647" for a maximum.
// - 0 is a maximum like any other (valid whenever `MinValue` is at most 0); an
//   unchanged maximum, like an unchanged minimum, does nothing.
// - Loading: writes through Qt's property system (Qt Designer, forms built by
//   uic or QUiLoader, QObject::setProperty) are treated as loading a stored
//   form. They never throw: a bound that would cross the other one carries the
//   other one along, so any consistent stored pair loads whatever the order of
//   its writes. The named writers keep the checks.
// - `AddProgress` adds in 64 bits before limiting, so no amount overflows.
// - At 100 percent the pie is the whole dial (the rounded start point would
//   otherwise leave a one-pixel sliver at the top).
// - A `Kind` outside the five forms (reachable only by a cast) is ignored.
// - The percentage text is drawn without antialiasing, so inverting it by XOR
//   gives clean letters on every colour.

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <stdexcept>

namespace Cgauges {
struct Edges;
}

// Raised by the gauge's range writers; carries the user-readable message.
class ECGaugeError : public std::runtime_error {
public:
    explicit ECGaugeError(const QString& message);
    [[nodiscard]] const QString& message() const noexcept { return message_; }

private:
    QString message_;
};

class TCGauge : public QWidget {
    Q_OBJECT
    Q_PROPERTY(TCGaugeKind Kind READ Kind WRITE SeTCGaugeKind)
    Q_PROPERTY(bool ShowText READ ShowText WRITE SetShowText)
    Q_PROPERTY(TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE SetForeColor)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE SetBackColor)
    // Fills the area around a pie or dial; follows the parent until set.
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    // Declared before Progress so a stored form restores the range first.
    Q_PROPERTY(int MinValue READ MinValue WRITE loadMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE loadMaxValue)
    Q_PROPERTY(int Progress READ Progress WRITE SetProgress)

public:
    enum TCGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
    Q_ENUM(TCGaugeKind)
    // bsSingle draws a 1-pixel black frame; bsNone lets the display cover the
    // whole control.
    enum TFormBorderStyle { bsNone, bsSingle };
    Q_ENUM(TFormBorderStyle)

    explicit TCGauge(QWidget* parent = nullptr);

    [[nodiscard]] TCGaugeKind Kind() const { return kind_; }
    [[nodiscard]] bool ShowText() const { return showText_; }
    [[nodiscard]] TFormBorderStyle BorderStyle() const { return borderStyle_; }
    [[nodiscard]] QColor ForeColor() const { return foreColor_; }
    [[nodiscard]] QColor BackColor() const { return backColor_; }
    [[nodiscard]] QColor Color() const;
    [[nodiscard]] int MinValue() const { return minValue_; }
    [[nodiscard]] int MaxValue() const { return maxValue_; }
    [[nodiscard]] int Progress() const { return progress_; }

    void SeTCGaugeKind(TCGaugeKind value);
    void SetShowText(bool value);
    void SetBorderStyle(TFormBorderStyle value);
    void SetForeColor(const QColor& value);
    void SetBackColor(const QColor& value);
    void SetColor(const QColor& value);
    // Throws ECGaugeError when `value` lies above MaxValue; raises Progress to it.
    void SetMinValue(int value);
    // Throws ECGaugeError when `value` lies below MinValue; lowers Progress to it.
    void SetMaxValue(int value);
    // Limits `value` to the range, never refuses it; repaints only when the
    // whole-number percentage changes.
    void SetProgress(int value);

    [[nodiscard]] int GetPercentDone() const;
    // Progress + amount through the Progress writer, then a repaint in any case.
    void AddProgress(int amount);

    // The finished picture, as Paint copies it to the screen.
    [[nodiscard]] QImage RenderImage() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    virtual void Paint(QPainter& canvas);

    // The drawing steps of one paint; each draws on the bitmap it is given,
    // all but the first inside the painting rectangle.
    void PaintBackground(QPainter& canvas) const;
    void PaintAsText(QPainter& canvas, const Cgauges::Edges& rect) const;
    void PaintAsNothing(QPainter& canvas, const Cgauges::Edges& rect) const;
    void PaintAsBar(QPainter& canvas, const Cgauges::Edges& rect) const;
    void PaintAsPie(QPainter& canvas, const Cgauges::Edges& rect) const;
    void PaintAsNeedle(QPainter& canvas, const Cgauges::Edges& rect) const;
    // A colour as painted: greyed while the gauge is disabled.
    [[nodiscard]] QColor shown(const QColor& colour) const;

private:
    void loadMinValue(int value);
    void loadMaxValue(int value);
    void repaintNow();

    TCGaugeKind kind_ = gkHorizontalBar;
    bool showText_ = true;
    TFormBorderStyle borderStyle_ = bsSingle;
    QColor foreColor_ = QColor(0, 0, 0);
    QColor backColor_ = QColor(255, 255, 255);
    int minValue_ = 0;
    int maxValue_ = 100;
    int progress_ = 0;
};

namespace Cgauges {
// Puts TCGauge on the component palette.
void Register();
} // namespace Cgauges
