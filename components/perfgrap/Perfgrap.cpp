#include "components/perfgrap/Perfgrap.h"

#include "components/perfgrap/PerfgrapMath.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cstring>
#include <optional>

using Perfgrap::ScaledHeight;

namespace {

// The message of ERangeError (a step holds at most 16 points).
const char* tooManyPointsMessage() {
    return "性能グラフの 1 ステップに置けるデータ点は 16 個までです";
}

// Moves every row of `image` `step` pixels to the left; the rightmost `step`
// columns keep their old pixels until the caller paints over them.
void scrollLeft(QImage& image, int step) {
    if (image.isNull() || step <= 0 || step >= image.width())
        return;
    const qsizetype pixelBytes = image.depth() / 8;
    const qsizetype keptBytes = qsizetype(image.width() - step) * pixelBytes;
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        std::memmove(row, row + qsizetype(step) * pixelBytes, size_t(keptBytes));
    }
}

// One pixel wide or high, so the grid is exact whatever pen the series use.
void horizontalGridLine(QPainter& painter, int left, int right, int y, const QColor& colour) {
    painter.fillRect(QRect(left, y, right - left, 1), colour);
}

void verticalGridLine(QPainter& painter, int x, int height, const QColor& colour) {
    painter.fillRect(QRect(x, 0, 1, height), colour);
}

} // namespace

TPerformanceGraph::TPerformanceGraph(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
    history_.resize(size_t(Perfgrap::HistoryCapacity(width(), stepSize_)));
    current_ = 0;
    first_ = 1;
    Initialize(gridSize_ - 1);
}

TPerformanceGraph::~TPerformanceGraph() = default;

void TPerformanceGraph::SetKind(TGraphKind value) {
    if (value == kind_)
        return;
    kind_ = value;
    Replay();
}

void TPerformanceGraph::SetForeColor(const QColor& value) {
    if (value == foreColor_)
        return;
    foreColor_ = value;
    Replay();
}

void TPerformanceGraph::SetBackColor(const QColor& value) {
    if (value == backColor_)
        return;
    backColor_ = value;
    Replay();
}

void TPerformanceGraph::SetGridSize(int value) {
    if (value == gridSize_)
        return;
    gridSize_ = std::max(value, 2);
    Replay();
}

void TPerformanceGraph::SetStepSize(int value) {
    if (value == stepSize_)
        return;
    stepSize_ = std::max(value, 1);
    ReallocHistory();
    Replay();
}

void TPerformanceGraph::SetScale(int value) {
    // The assigned value, not the rounded one, decides whether anything changed.
    if (value == scale_)
        return;
    scale_ = Perfgrap::RoundUp(value, gradient_);
    emit OnScaleChange(this);
    Replay();
}

void TPerformanceGraph::SetGradient(int value) {
    if (value == gradient_)
        return;
    gradient_ = value;
    Replay();
}

void TPerformanceGraph::SetGridlines(bool value) {
    if (value == gridlines_)
        return;
    gridlines_ = value;
    Replay();
}

void TPerformanceGraph::SetPenWidth(int value) {
    if (value == penWidth_)
        return;
    penWidth_ = value;
    Replay();
}

void TPerformanceGraph::DataPoint(const QColor& colour, int value) {
    TBand& band = history_[size_t(current_)];
    if (band.count >= MaxPoints)
        throw ERangeError(tooManyPointsMessage());
    band.colours[size_t(band.count)] = colour.rgb();
    band.values[size_t(band.count)] = value;
    ++band.count;
}

void TPerformanceGraph::Update() {
    ScrollGraph();
    ShiftY();

    qint32 largest = 0;
    for (const TBand& band : history_)
        for (int i = 0; i < band.count; ++i)
            largest = std::max(largest, band.values[size_t(i)]);

    const int newScale = Perfgrap::RoundUp(largest, gradient_);
    if (newScale != scale_) {
        SetScale(newScale);
    } else {
        DisplayPoints(LastY(current_));
        repaint();
    }
}

void TPerformanceGraph::Initialize(int gridOffset) {
    imageSize_ = size();
    image_ = imageSize_.isEmpty() ? QImage() : QImage(imageSize_, QImage::Format_RGB32);
    const int w = imageSize_.width();
    const int h = imageSize_.height();

    if (!image_.isNull())
        image_.fill(backColor_);
    if (gridlines_) {
        // The first x at or right of the edge, where the next line would go.
        qint64 end = gridOffset;
        if (end < w)
            end += (w - end + gridSize_ - 1) / gridSize_ * gridSize_;
        if (!image_.isNull()) {
            QPainter painter(&image_);
            for (qint64 y = gridSize_; y < h; y += gridSize_)
                horizontalGridLine(painter, 0, w, int(y), foreColor_);
            for (qint64 x = gridOffset; x < w; x += gridSize_)
                verticalGridLine(painter, int(x), h, foreColor_);
        }
        gridPhase_ = int(end - w);
    }
    resetNewStrip();
}

void TPerformanceGraph::ScrollGraph() {
    scrollLeft(image_, stepSize_);
    const int w = imageSize_.width();
    const int h = imageSize_.height();

    std::optional<QPainter> painter;
    if (!image_.isNull()) {
        painter.emplace(&image_);
        painter->fillRect(newStripRect(), backColor_);
    }
    if (!gridlines_)
        return;

    if (painter)
        for (qint64 y = gridSize_; y < h; y += gridSize_)
            horizontalGridLine(*painter, newStrip_.left, newStrip_.right, int(y), foreColor_);

    qint64 phase = qint64(gridPhase_) - stepSize_;
    if (phase < 0) {
        // Lines left of the image cannot be seen; step over them in one go.
        const qint64 x = w + phase;
        if (x < 0)
            phase += (-x + gridSize_ - 1) / gridSize_ * gridSize_;
        // Several lines only when the step is wider than the grid.
        for (; phase < 0; phase += gridSize_)
            if (painter)
                verticalGridLine(*painter, int(w + phase), h, foreColor_);
    }
    gridPhase_ = int(phase);
}

void TPerformanceGraph::DisplayPoints(int bandIndex) {
    if (image_.isNull())
        return;
    const QRect strip = newStripRect().intersected(image_.rect());
    if (strip.isEmpty())
        return;
    QPainter painter(&image_);
    painter.setClipRect(strip);

    const TBand& band = history_.at(size_t(bandIndex));
    const TBand& before = history_.at(size_t(LastY(bandIndex)));
    qint32 previous = 0;
    for (int i = 0; i < band.count; ++i) {
        const qint32 value = band.values[size_t(i)];
        // Zero, and negative values which count as zero, leave no mark.
        if (value <= 0)
            continue;
        const QRgb colour = band.colours[size_t(i)];
        if (kind_ == pgBar) {
            paintBarOn(painter, colour, previous, value - previous);
        } else {
            qint32 start = 0;
            const auto* found =
                std::find(before.colours.begin(), before.colours.begin() + before.count, colour);
            if (found != before.colours.begin() + before.count)
                start = before.values[size_t(found - before.colours.begin())];
            paintLineOn(painter, colour, start, value);
        }
        previous = value;
    }
}

void TPerformanceGraph::PaintBar(QRgb colour, int base, int height) {
    if (image_.isNull())
        return;
    QPainter painter(&image_);
    painter.setClipRect(newStripRect());
    paintBarOn(painter, colour, base, height);
}

void TPerformanceGraph::PaintLine(QRgb colour, int startValue, int endValue) {
    if (image_.isNull())
        return;
    QPainter painter(&image_);
    painter.setClipRect(newStripRect());
    paintLineOn(painter, colour, startValue, endValue);
}

void TPerformanceGraph::paintBarOn(QPainter& painter, QRgb colour, int base, int height) const {
    if (height == 0)
        return;
    const int bottom = imageSize_.height();
    const int h = ScaledHeight(height, scale_, bottom);
    if (h == 0)
        return;
    const int b = ScaledHeight(base, scale_, bottom);
    // Rows bottom − b − h − 1 up to, not including, bottom − b.
    const int top = bottom - b - h - 1;
    painter.fillRect(QRect(newStrip_.left, top, newStrip_.right - newStrip_.left, h + 1),
                     QColor(colour));
}

void TPerformanceGraph::paintLineOn(QPainter& painter, QRgb colour, int startValue,
                                    int endValue) const {
    const int bottom = imageSize_.height();
    QPen pen{QColor(colour)};
    pen.setWidth(std::max(penWidth_, 1));
    painter.setPen(pen);
    painter.drawLine(QPoint(newStrip_.left, bottom - ScaledHeight(startValue, scale_, bottom)),
                     QPoint(newStrip_.right, bottom - ScaledHeight(endValue, scale_, bottom)));
}

void TPerformanceGraph::Replay() {
    redrawFromHistory();
    repaint();
}

void TPerformanceGraph::redrawFromHistory() {
    const int w = width();
    // Keep the vertical grid lines where they were.
    Initialize(int(Perfgrap::FloorMod(qint64(w) + gridPhase_, gridSize_)));

    // The oldest band is not drawn: it only gives the lines of the next one a
    // start. The band being filled falls beyond the right edge.
    qint64 x = w % stepSize_;
    for (int index = NextY(FirstY()); index != -1 && x < w; index = NextY(index)) {
        newStrip_.left = int(x);
        // Clipped at the edge anyway; the cap keeps huge steps in range.
        newStrip_.right = int(std::min<qint64>(x + stepSize_, w));
        DisplayPoints(index);
        x += stepSize_;
    }
    resetNewStrip();
}

void TPerformanceGraph::ReallocHistory() {
    const int capacity = Perfgrap::HistoryCapacity(width(), stepSize_);
    std::vector<TBand> ring(static_cast<size_t>(capacity));

    std::vector<int> oldestFirst;
    oldestFirst.reserve(history_.size());
    for (int index = FirstY(); index != -1; index = NextY(index))
        oldestFirst.push_back(index);

    // Keep the newest bands that fit, and keep them at the newest end of the new
    // ring so the empty slots are the oldest.
    const size_t kept = std::min(oldestFirst.size(), size_t(capacity));
    const size_t skipped = oldestFirst.size() - kept;
    const size_t target = size_t(capacity) - kept;
    for (size_t i = 0; i < kept; ++i)
        ring[target + i] = history_[size_t(oldestFirst[skipped + i])];

    history_ = std::move(ring);
    current_ = capacity - 1;
    first_ = 0;
}

void TPerformanceGraph::ShiftY() {
    const int capacity = HistoryCapacity();
    current_ = (current_ + 1) % capacity;
    history_[size_t(current_)].count = 0;
    first_ = (current_ + 1) % capacity;
}

int TPerformanceGraph::NextY(int index) const {
    const int next = (index + 1) % HistoryCapacity();
    return next == first_ ? -1 : next;
}

int TPerformanceGraph::LastY(int index) const {
    return index == 0 ? HistoryCapacity() - 1 : index - 1;
}

int TPerformanceGraph::GetBandCount() const {
    return Perfgrap::BandCount(width(), stepSize_);
}

void TPerformanceGraph::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    Paint(canvas);
}

void TPerformanceGraph::Paint(QPainter& canvas) {
    if (imageSize_ != size()) {
        if (imageSize_.width() != width())
            ReallocHistory();
        // Within a paint already: redraw the image without asking for another.
        redrawFromHistory();
    }
    if (image_.isNull())
        return;
    canvas.setCompositionMode(QPainter::CompositionMode_Source);
    canvas.drawImage(0, 0, image_);
}

void TPerformanceGraph::resetNewStrip() {
    newStrip_.left = imageSize_.width() - stepSize_;
    newStrip_.right = imageSize_.width();
}

QRect TPerformanceGraph::newStripRect() const {
    return {newStrip_.left, 0, newStrip_.right - newStrip_.left, imageSize_.height()};
}
