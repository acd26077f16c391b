#include "graphics/OpaqueBlit.h"

#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTransform>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace graphics {
namespace {

bool isOpaque32(QImage::Format format) {
    return format == QImage::Format_RGB32;
}

bool takes32(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

// One row of `bytes` (a multiple of 4) from `from` to `to`.
void copyRow(uchar* to, const uchar* from, qsizetype bytes) {
#if defined(__SSE2__)
    qsizetype done = 0;
    // Streaming stores need 16-byte aligned targets.
    while ((reinterpret_cast<quintptr>(to + done) & 15) != 0 && done < bytes) {
        std::memcpy(to + done, from + done, 4);
        done += 4;
    }
    for (; done + 64 <= bytes; done += 64) {
        const auto* s = reinterpret_cast<const __m128i*>(from + done);
        auto* d = reinterpret_cast<__m128i*>(to + done);
        const __m128i a = _mm_loadu_si128(s);
        const __m128i b = _mm_loadu_si128(s + 1);
        const __m128i c = _mm_loadu_si128(s + 2);
        const __m128i e = _mm_loadu_si128(s + 3);
        _mm_stream_si128(d, a);
        _mm_stream_si128(d + 1, b);
        _mm_stream_si128(d + 2, c);
        _mm_stream_si128(d + 3, e);
    }
    if (done < bytes)
        std::memcpy(to + done, from + done, std::size_t(bytes - done));
#else
    std::memcpy(to, from, std::size_t(bytes));
#endif
}

} // namespace

bool blitOpaque(QPainter& painter, QPoint at, const QImage& image, const QRegion& region) {
    // The pixels painted on: the window's backing store, where a widget's
    // painting is redirected.
    QPaintEngine* engine = painter.paintEngine();
    QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image || image.isNull() ||
        !isOpaque32(image.format()) ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver ||
        painter.opacity() < 1.0)
        return false;
    auto* target = static_cast<QImage*>(device);
    if (!takes32(target->format()) || !target->isDetached())
        return false;
    // Whole pixels only: a translation, and the scale the picture was made for.
    const QTransform toDevice = painter.deviceTransform();
    const double scale = image.devicePixelRatio();
    if (toDevice.type() > QTransform::TxScale || toDevice.m11() != scale || toDevice.m22() != scale)
        return false;
    const QPointF origin = toDevice.map(QPointF(at));
    if (origin.x() != std::round(origin.x()) || origin.y() != std::round(origin.y()))
        return false;
    const QRect placed(origin.toPoint(), image.size());
    QRegion parts = toDevice.map(region).intersected(placed).intersected(target->rect());
    if (painter.hasClipping())
        parts = parts.intersected(toDevice.map(painter.clipRegion()));
    // What the window lets this widget paint (not under widgets above it).
    const QRegion allowed = engine->systemClip();
    if (!allowed.isEmpty())
        parts = parts.intersected(allowed);
    uchar* pixels = target->bits();
    const qsizetype stride = target->bytesPerLine();
    for (const QRect& part : parts) {
        const qsizetype bytes = qsizetype(part.width()) * 4;
        for (int y = part.top(); y <= part.bottom(); ++y) {
            const uchar* from =
                image.constScanLine(y - placed.top()) + qsizetype(part.left() - placed.left()) * 4;
            copyRow(pixels + qsizetype(y) * stride + qsizetype(part.left()) * 4, from, bytes);
        }
    }
#if defined(__SSE2__)
    _mm_sfence();
#endif
    return true;
}

} // namespace graphics
