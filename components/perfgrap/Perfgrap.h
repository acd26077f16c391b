#pragma once

// TPerformanceGraph: a scrolling strip chart of up to 16 series per time step,
// drawn as stacked bars or as lines. The caller adds one time step's values with
// DataPoint() and closes the step with Update(): the picture moves StepSize
// pixels left and the step is drawn in the strip that opens at the right edge.
// The vertical scale follows the largest value still held in the history,
// rounded up to a multiple of Gradient.
//
// The picture lives in an off-screen image; painting only copies it, and only a
// change of the scale, of a display property or of the size redraws it from the
// history.
//
// Choices this widget makes:
// - Gradient starts at 100, and 100 is also the value Qt Designer treats as the
//   default, so a form that keeps 100 reads back 100.
// - PenWidth is the width of the series lines in line mode. The grid and the
//   bars are always drawn one pixel exact; a width below 1 draws as 1.
// - Negative values are held and counted against the 16-point limit, but never
//   raise the scale and are drawn as 0: a negative point draws nothing, and as
//   the start of a line it stands for the bottom edge.
// - A scale of 0 or less (every held value 0 or negative, or assigned so)
//   places every value on the bottom edge; nothing divides by it.
// - With StepSize above GridSize every vertical grid line that falls into the
//   new strip is drawn, so the scrolled grid matches a full redraw.
// - When the control grows, the history keeps its bands as the newest ones and
//   the added slots become the oldest, empty ones, so the next step continues
//   right beside the last one drawn.
//
// Qt's own update() only schedules a repaint; Update() (capital U) advances the
// graph one step. Align, ShowHint and the like are Qt's layouts and tool tips.

#include <QColor>
#include <QImage>
#include <QWidget>
#include <array>
#include <stdexcept>
#include <vector>

class QPainter;

// Raised by DataPoint() when a time step already holds all its points.
class ERangeError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

class TPerformanceGraph : public QWidget {
    Q_OBJECT
    Q_PROPERTY(TGraphKind Kind READ Kind WRITE SetKind)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE SetForeColor)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE SetBackColor)
    Q_PROPERTY(int GridSize READ GridSize WRITE SetGridSize)
    Q_PROPERTY(int StepSize READ StepSize WRITE SetStepSize)
    Q_PROPERTY(int Scale READ Scale WRITE SetScale)
    Q_PROPERTY(int Gradient READ Gradient WRITE SetGradient)
    Q_PROPERTY(bool Gridlines READ Gridlines WRITE SetGridlines)
    Q_PROPERTY(int PenWidth READ PenWidth WRITE SetPenWidth)

public:
    enum TGraphKind { pgBar = 0, pgLine = 1 };
    Q_ENUM(TGraphKind)

    static constexpr int MaxPoints = 16;

    // One time step: its points in the order they were added.
    struct TBand {
        qint32 count = 0;
        std::array<QRgb, MaxPoints> colours{};
        std::array<qint32, MaxPoints> values{};
    };

    explicit TPerformanceGraph(QWidget* parent = nullptr);
    ~TPerformanceGraph() override;

    [[nodiscard]] TGraphKind Kind() const { return kind_; }
    [[nodiscard]] QColor ForeColor() const { return foreColor_; }
    [[nodiscard]] QColor BackColor() const { return backColor_; }
    [[nodiscard]] int GridSize() const { return gridSize_; }
    [[nodiscard]] int StepSize() const { return stepSize_; }
    [[nodiscard]] int Scale() const { return scale_; }
    [[nodiscard]] int Gradient() const { return gradient_; }
    [[nodiscard]] bool Gridlines() const { return gridlines_; }
    [[nodiscard]] int PenWidth() const { return penWidth_; }

    void SetKind(TGraphKind value);
    void SetForeColor(const QColor& value);
    void SetBackColor(const QColor& value);
    // Values below 2 become 2.
    void SetGridSize(int value);
    // Values below 1 become 1; the history is rebuilt for the new band count.
    void SetStepSize(int value);
    // Stores `value` rounded up to Gradient and raises OnScaleChange whenever
    // `value` differs from the current scale (even if the rounded one does not).
    void SetScale(int value);
    // The current scale is not rounded again.
    void SetGradient(int value);
    void SetGridlines(bool value);
    void SetPenWidth(int value);

    // Adds a point of the time step being collected; a 17th point raises
    // ERangeError and is not stored.
    void DataPoint(const QColor& colour, int value);
    // Closes the time step being collected and draws it: scroll, shift, then
    // either OnScaleChange and a full redraw, or the new band alone.
    void Update();

    void Initialize(int gridOffset);
    void ScrollGraph();
    void DisplayPoints(int bandIndex);
    void PaintBar(QRgb colour, int base, int height);
    void PaintLine(QRgb colour, int startValue, int endValue);
    // Redraws the whole picture from the history and repaints.
    void Replay();
    void ReallocHistory();
    void ShiftY();

    // Walking the history ring from the oldest band to the one being filled.
    [[nodiscard]] int FirstY() const { return first_; }
    [[nodiscard]] int NextY(int index) const;
    [[nodiscard]] int LastY(int index) const;
    [[nodiscard]] int GetBandCount() const;

    [[nodiscard]] int HistoryCapacity() const { return static_cast<int>(history_.size()); }
    [[nodiscard]] int CurrentY() const { return current_; }
    [[nodiscard]] const TBand& Band(int index) const { return history_.at(index); }

    [[nodiscard]] QSize sizeHint() const override { return {100, 100}; }

signals:
    void OnScaleChange(TPerformanceGraph* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Copies the off-screen image, first rebuilding it when the size changed.
    void Paint(QPainter& canvas);

private:
    // Half-open pixel span [left, right) over the whole image height.
    struct TStrip {
        int left = 0;
        int right = 0;
    };

    void redrawFromHistory();
    void resetNewStrip();
    void paintBarOn(QPainter& painter, QRgb colour, int base, int height) const;
    void paintLineOn(QPainter& painter, QRgb colour, int startValue, int endValue) const;
    [[nodiscard]] QRect newStripRect() const;

    TGraphKind kind_ = pgLine;
    QColor foreColor_{0, 128, 0};
    QColor backColor_{0, 0, 0};
    int gridSize_ = 15;
    int stepSize_ = 3;
    int scale_ = 1000;
    int gradient_ = 100;
    bool gridlines_ = true;
    int penWidth_ = 2;

    QImage image_;
    QSize imageSize_; // the size the image was built for, also when it is empty
    TStrip newStrip_;
    int gridPhase_ = 0;

    std::vector<TBand> history_;
    int first_ = 1;
    int current_ = 0;
};

namespace Perfgrap {
// Puts TPerformanceGraph on the component palette.
void Register();
} // namespace Perfgrap
