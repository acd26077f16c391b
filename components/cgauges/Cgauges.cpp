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

// A bitmap of the same size as `image`, ready to be drawn on.
QImage makeLike(const QImage& image) {
    QImage bitmap(image.size(), QImage::Format_RGB32);
    bitmap.fill(Qt::black);
    return bitmap;
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
    canvas.setCompositionMode(QPainter::CompositionMode_Source);
    canvas.drawImage(0, 0, RenderImage());
}

QImage TCGauge::RenderImage() const {
    if (width() <= 0 || height() <= 0)
        return {};
    QImage image(size(), QImage::Format_RGB32);
    PaintBackground(image);
    const Edges rect = Cgauges::paintingRect(size(), borderStyle_ == bsSingle);

    QImage overlay = makeLike(image);
    PaintBackground(overlay);
    switch (kind_) {
    case gkText:
        PaintAsNothing(overlay, rect);
        break;
    case gkHorizontalBar:
    case gkVerticalBar:
        PaintAsBar(overlay, rect);
        break;
    case gkPie:
        PaintAsPie(overlay, rect);
        break;
    case gkNeedle:
        PaintAsNeedle(overlay, rect);
        break;
    }

    {
        // XOR onto black leaves the overlay itself, and the frame stays black
        // where the overlay is black too.
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.drawImage(0, 0, overlay);
    }
    if (showText_)
        PaintAsText(image, rect);
    return image;
}

void TCGauge::PaintBackground(QImage& bitmap) const {
    bitmap.fill(Qt::black);
}

void TCGauge::PaintAsNothing(QImage& bitmap, const Edges& rect) const {
    QPainter painter(&bitmap);
    painter.fillRect(Cgauges::pixelRect(rect), backColor_);
}

void TCGauge::PaintAsBar(QImage& bitmap, const Edges& rect) const {
    QPainter painter(&bitmap);
    preparePainter(painter);
    painter.fillRect(Cgauges::pixelRect(rect), backColor_);
    const int percent = GetPercentDone();
    const Edges fill = kind_ == gkHorizontalBar ? Cgauges::horizontalBarFill(percent, rect)
                                                : Cgauges::verticalBarFill(percent, rect);
    painter.fillRect(Cgauges::pixelRect(fill), foreColor_);
}

void TCGauge::PaintAsPie(QImage& bitmap, const Edges& rect) const {
    QPainter painter(&bitmap);
    preparePainter(painter);
    painter.fillRect(Cgauges::pixelRect(rect), Color());

    const int grow = borderStyle_ == bsSingle ? 1 : 0;
    const int width = rect.right - rect.left + grow;
    const int height = rect.bottom - rect.top + grow;
    // Width and height double as the right and bottom edges of the dial.
    const Edges dial{rect.left, rect.top, width, height};
    if (dial.right <= dial.left || dial.bottom <= dial.top)
        return;
    painter.setPen(onePixelPen(foreColor_));
    painter.setBrush(backColor_);
    painter.drawEllipse(Cgauges::outlineRect(dial));

    const int percent = GetPercentDone();
    if (percent <= 0)
        return;
    painter.setBrush(foreColor_);
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

void TCGauge::PaintAsNeedle(QImage& bitmap, const Edges& rect) const {
    QPainter painter(&bitmap);
    preparePainter(painter);
    painter.fillRect(Cgauges::pixelRect(rect), Color());

    const int grow = borderStyle_ == bsSingle ? 1 : 0;
    const int x = rect.left;
    const int y = rect.top;
    const int width = rect.right - rect.left + grow;
    const int height = rect.bottom - rect.top + grow;
    const int base = rect.bottom;
    painter.setPen(onePixelPen(foreColor_));
    painter.setBrush(backColor_);

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

void TCGauge::PaintAsText(QImage& image, const Edges& rect) const {
    QImage letters = makeLike(image);
    PaintBackground(letters);

    const QString text = QString::number(GetPercentDone()) + QLatin1Char('%');
    {
        QPainter painter(&letters);
        QFont textFont = font();
        textFont.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(textFont);
        painter.setPen(Qt::white);
        painter.setBrush(Qt::NoBrush);
        const QFontMetrics metrics = painter.fontMetrics();
        const QPoint origin =
            Cgauges::textOrigin(rect, QSize(metrics.horizontalAdvance(text), metrics.height()));
        painter.setClipRect(Cgauges::pixelRect(rect));
        painter.drawText(origin + QPoint(0, metrics.ascent()), text);
    }

    // White letters on black: XOR inverts exactly the pixels under the letters.
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.drawImage(0, 0, letters);
}
