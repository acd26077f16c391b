#include "components/cgauges/Cgauges.h"

#include "components/cgauges/GaugeGeometry.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cstdint>
#include <limits>

using Cgauges::Edges;

namespace {

QString outOfRangeText(int low, int high) {
    return QString::asprintf("%d から %d の間の値でなければなりません", low, high);
}

// One-pixel lines and shapes on the pixel grid, as the picture is measured.
void preparePainter(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, false);
}

QPen onePixelPen(const QColor& colour) {
    QPen pen(colour);
    pen.setWidth(1);
    return pen;
}

} // namespace

ECGaugeError::ECGaugeError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

TCGauge::TCGauge(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted each time, so Qt need not clear the area first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
}

QColor TCGauge::Color() const {
    return palette().color(QPalette::Window);
}

void TCGauge::SeTCGaugeKind(TCGaugeKind value) {
    if (value < gkText || value > gkNeedle || value == kind_)
        return;
    kind_ = value;
    repaintNow();
}

void TCGauge::SetShowText(bool value) {
    if (value == showText_)
        return;
    showText_ = value;
    repaintNow();
}

void TCGauge::SetBorderStyle(TFormBorderStyle value) {
    if (value == borderStyle_)
        return;
    borderStyle_ = value;
    repaintNow();
}

void TCGauge::SetForeColor(const QColor& value) {
    if (value == foreColor_)
        return;
    foreColor_ = value;
    repaintNow();
}

void TCGauge::SetBackColor(const QColor& value) {
    if (value == backColor_)
        return;
    backColor_ = value;
    repaintNow();
}

void TCGauge::SetColor(const QColor& value) {
    if (value == Color())
        return;
    QPalette changed = palette();
    changed.setColor(QPalette::Window, value);
    setPalette(changed);
    repaintNow();
}

void TCGauge::SetMinValue(int value) {
    if (value == minValue_)
        return;
    if (value > maxValue_)
        throw ECGaugeError(outOfRangeText(std::numeric_limits<int>::min(), maxValue_));
    minValue_ = value;
    if (progress_ < value)
        progress_ = value;
    repaintNow();
}

void TCGauge::SetMaxValue(int value) {
    if (value == maxValue_)
        return;
    if (value < minValue_)
        throw ECGaugeError(outOfRangeText(minValue_, std::numeric_limits<int>::max()));
    maxValue_ = value;
    if (progress_ > value)
        progress_ = value;
    repaintNow();
}

void TCGauge::loadMinValue(int value) {
    if (value > maxValue_)
        SetMaxValue(value);
    SetMinValue(value);
}

void TCGauge::loadMaxValue(int value) {
    if (value < minValue_)
        SetMinValue(value);
    SetMaxValue(value);
}

void TCGauge::SetProgress(int value) {
    const int percentBefore = GetPercentDone();
    value = std::clamp(value, minValue_, maxValue_);
    if (value == progress_)
        return;
    progress_ = value;
    if (GetPercentDone() != percentBefore)
        repaintNow();
}

int TCGauge::GetPercentDone() const {
    return Cgauges::percentDone(minValue_, maxValue_, progress_);
}

void TCGauge::AddProgress(int amount) {
    const std::int64_t sum = std::int64_t{progress_} + amount;
    SetProgress(static_cast<int>(std::clamp<std::int64_t>(sum, minValue_, maxValue_)));
    repaintNow();
}

void TCGauge::repaintNow() {
    // The gauge is opaque, so it can be painted at once rather than queued.
    repaint();
}

void TCGauge::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    Paint(canvas);
}

void TCGauge::Paint(QPainter& canvas) {
    // Straight onto the canvas: a scratch picture the size of the gauge made
    // large gauges slow to repaint.
    if (width() <= 0 || height() <= 0)
        return;
    canvas.save();
    canvas.setCompositionMode(QPainter::CompositionMode_Source);
    PaintBackground(canvas);
    const Edges rect = Cgauges::paintingRect(size(), borderStyle_ == bsSingle);
    switch (kind_) {
    case gkText:
        PaintAsNothing(canvas, rect);
        break;
    case gkHorizontalBar:
    case gkVerticalBar:
        PaintAsBar(canvas, rect);
        break;
    case gkPie:
        PaintAsPie(canvas, rect);
        break;
    case gkNeedle:
        PaintAsNeedle(canvas, rect);
        break;
    }
    canvas.restore();
    if (showText_)
        PaintAsText(canvas, rect);
}

QImage TCGauge::RenderImage() const {
    if (width() <= 0 || height() <= 0)
        return {};
    QImage image(size(), QImage::Format_RGB32);
    QPainter canvas(&image);
    const_cast<TCGauge*>(this)->Paint(canvas);
    return image;
}

QColor TCGauge::shown(const QColor& colour) const {
    if (isEnabled())
        return colour;
    // Grey of the same lightness, washed halfway towards the disabled background.
    const int grey = qGray(colour.rgb());
    const QColor window = palette().color(QPalette::Disabled, QPalette::Window);
    return QColor((grey + window.red()) / 2, (grey + window.green()) / 2,
                  (grey + window.blue()) / 2);
}

void TCGauge::PaintBackground(QPainter& canvas) const {
    canvas.fillRect(rect(), Qt::black);
}

void TCGauge::PaintAsNothing(QPainter& canvas, const Edges& rect) const {
    canvas.fillRect(Cgauges::pixelRect(rect), shown(backColor_));
}

void TCGauge::PaintAsBar(QPainter& painter, const Edges& rect) const {
    preparePainter(painter);
    painter.fillRect(Cgauges::pixelRect(rect), shown(backColor_));
    const int percent = GetPercentDone();
    const Edges fill = kind_ == gkHorizontalBar ? Cgauges::horizontalBarFill(percent, rect)
                                                : Cgauges::verticalBarFill(percent, rect);
    painter.fillRect(Cgauges::pixelRect(fill), shown(foreColor_));
}

void TCGauge::PaintAsPie(QPainter& painter, const Edges& rect) const {
    preparePainter(painter);
    painter.fillRect(Cgauges::pixelRect(rect), shown(Color()));

    const int grow = borderStyle_ == bsSingle ? 1 : 0;
    const int width = rect.right - rect.left + grow;
    const int height = rect.bottom - rect.top + grow;
    // Width and height double as the right and bottom edges of the dial.
    const Edges dial{rect.left, rect.top, width, height};
    if (dial.right <= dial.left || dial.bottom <= dial.top)
        return;
    painter.setPen(onePixelPen(shown(foreColor_)));
    painter.setBrush(shown(backColor_));
    painter.drawEllipse(Cgauges::outlineRect(dial));

    const int percent = GetPercentDone();
    if (percent <= 0)
        return;
    painter.setBrush(shown(foreColor_));
    if (percent >= 100) {
        painter.drawEllipse(Cgauges::outlineRect(dial));
        return;
    }
    const int middleX = width / 2;
    const int middleY = height / 2;
    const Cgauges::PieAngles angles = Cgauges::pieAngles(
        dial, Cgauges::pieStartPoint(percent, middleX, middleY), QPoint(middleX, 0));
    painter.drawPie(Cgauges::outlineRect(dial), angles.start16, angles.span16);
}

void TCGauge::PaintAsNeedle(QPainter& painter, const Edges& rect) const {
    preparePainter(painter);
    painter.fillRect(Cgauges::pixelRect(rect), shown(Color()));

    const int grow = borderStyle_ == bsSingle ? 1 : 0;
    const int x = rect.left;
    const int y = rect.top;
    const int width = rect.right - rect.left + grow;
    const int height = rect.bottom - rect.top + grow;
    const int base = rect.bottom;
    painter.setPen(onePixelPen(shown(foreColor_)));
    painter.setBrush(shown(backColor_));

    // The upper half of an ellipse twice as tall as the display: the dial.
    const Edges dial{x, y, width, 2 * height - 1};
    if (dial.right > dial.left && dial.bottom > dial.top) {
        const Cgauges::PieAngles angles =
            Cgauges::pieAngles(dial, QPoint(x + width, base - 1), QPoint(x, base - 1));
        painter.drawPie(Cgauges::outlineRect(dial), angles.start16, angles.span16);
    }
    if (width > 0)
        painter.drawLine(QPoint(x, base), QPoint(x + width - 1, base));

    const int percent = GetPercentDone();
    if (percent <= 0)
        return;
    const int middleX = this->width() / 2;
    painter.drawLine(QPoint(middleX, base - 1), Cgauges::needleTip(percent, middleX, base - 1));
}

void TCGauge::PaintAsText(QPainter& canvas, const Edges& rect) const {
    const QString text = QString::number(GetPercentDone()) + QLatin1Char('%');
    QFont textFont = font();
    textFont.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(textFont);
    const QSize textSize(metrics.horizontalAdvance(text), metrics.height());
    const QRect clip = Cgauges::pixelRect(rect);
    const QRect area = QRect(Cgauges::textOrigin(rect, textSize), textSize).intersected(clip);
    if (area.isEmpty())
        return;

    // White letters on black, only as large as the text: XOR inverts exactly
    // the pixels under the letters.
    QImage letters(area.size(), QImage::Format_RGB32);
    letters.fill(Qt::black);
    {
        QPainter painter(&letters);
        painter.setFont(textFont);
        painter.setPen(Qt::white);
        const QPoint origin = Cgauges::textOrigin(rect, textSize) - area.topLeft();
        painter.drawText(origin + QPoint(0, metrics.ascent()), text);
    }
    canvas.save();
    canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    canvas.drawImage(area.topLeft(), letters);
    canvas.restore();
}
