#include "graphics/EmfBitmaps.h"
#include "graphics/EmfNullPenShapes.h"
#include "graphics/EmfSvgCurves.h"
#include "graphics/EmfSvgText.h"
#include "graphics/EmfSvgWholePixels.h"
#include "graphics/EmfTextGlyphs.h"
#include "graphics/GraphicErrors.h"
#include "graphics/MetafileRendering.h"
#include "graphics/PictureLimits.h"

#include <QPainter>
#include <QSvgRenderer>
#include <cmath>
#include <dlfcn.h>
#include <emf2svg.h>

namespace graphics {
namespace {

constexpr const char* LibraryName = "libemf2svg.so.1";

// Largest SVG text taken from the converter.
constexpr qint64 MaxSvgBytes = qint64(256) * 1024 * 1024;

using ConvertFunction = int (*)(char*, size_t, char**, size_t*, generatorOptions*);

struct Converter {
    ConvertFunction convert = nullptr;
    // The converter's own free(): its text is allocated in its namespace.
    void (*release)(void*) = nullptr;
};

// libemf2svg is loaded into a link namespace of its own, with its own copies of
// fontconfig and libuemf: it ends every conversion that met text with
// FcFini(), which in our namespace would tear down the font configuration Qt
// still holds (and abort in fontconfig's cache clean-up), and libuemf exports
// a wmf_free() that would take the place of libwmf's function of that name.
const Converter& converter() {
    static const Converter loaded = []() -> Converter {
        void* library = dlmopen(LM_ID_NEWLM, LibraryName, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return {};
        // Kept loaded for the rest of the run.
        Converter c;
        c.convert = reinterpret_cast<ConvertFunction>(dlsym(library, "emf2svg"));
        c.release = reinterpret_cast<void (*)(void*)>(dlsym(library, "free"));
        if (!c.convert || !c.release)
            return {};
        return c;
    }();
    return loaded;
}

// Converts the metafile to SVG text; empty when the converter fails. The
// converter has no way to be stopped part-way: a conversion that never ends is
// the decoder process's watchdog's to end.
QByteArray convertToSvg(const Converter& converter, const QByteArray& bytes, QSize size,
                        const GlyphPlacement& placement) {
    generatorOptions options{};
    char noNamespace[] = "";
    options.nameSpace = noNamespace;
    options.verbose = false;
    options.emfplus = false;
    options.svgDelimiter = true;
    options.imgWidth = size.width();
    options.imgHeight = size.height();

    // The converter only reads its input, but its interface is not const.
    QByteArray data = emfWithTextPlacedByGlyph(
        emfWithPlainBitmaps(emfWithNullPenShapesAsPaths(bytes)), placement);
    char* svg = nullptr;
    size_t svgLength = 0;
    const int ok = converter.convert(data.data(), size_t(data.size()), &svg, &svgLength, &options);
    QByteArray text;
    if (ok && svg && svgLength > 0 && svgLength <= std::size_t(MaxSvgBytes))
        text = QByteArray(svg, qsizetype(svgLength));
    converter.release(svg);
    return text;
}

// Where the converter's picture goes on ours. The converter spreads the
// header's bounds over the picture; Windows shows the frame, whose size in
// device pixels follows from the reference device, and a drawing whose device
// is finer or coarser than the screen comes out larger or smaller than the
// frame said. The whole picture when the header does not tell, or tells
// something absurd.
QRectF converterTarget(const EmfLayout& layout, QSize size) {
    const QRectF whole(QPointF(0, 0), QSizeF(size));
    const QRectF frame = layout.frameInDevice;
    const QRect bounds = layout.bounds;
    const double boundsW = double(bounds.right()) - bounds.left();
    const double boundsH = double(bounds.bottom()) - bounds.top();
    if (!(frame.width() > 0 && frame.height() > 0 && boundsW > 0 && boundsH > 0))
        return whole;
    // The frame at its natural size, not stretched over the whole pixels
    // the picture was rounded up or down to.
    const QSizeF natural = layout.naturalSize;
    const double shrink = renderedScale(natural.width(), natural.height());
    const double sx = natural.width() * shrink / frame.width();
    const double sy = natural.height() * shrink / frame.height();
    const QRectF target((bounds.left() - frame.left()) * sx, (bounds.top() - frame.top()) * sy,
                        boundsW * sx, boundsH * sy);
    constexpr double MaxRatio = 16;
    const double rx = target.width() / size.width();
    const double ry = target.height() / size.height();
    if (!(rx > 1 / MaxRatio && rx < MaxRatio && ry > 1 / MaxRatio && ry < MaxRatio &&
          std::abs(target.left()) < MaxRatio * size.width() &&
          std::abs(target.top()) < MaxRatio * size.height()))
        return whole;
    return target;
}

} // namespace

QImage renderEmf(const QByteArray& bytes, const EmfLayout& layout) {
    const Converter& convert = converter();
    if (!convert.convert)
        throw EInvalidGraphic(QStringLiteral("拡張メタファイルを描くライブラリ (%1) がありません")
                                  .arg(QLatin1String(LibraryName)));

    const QSize size = clampRenderedSize(layout.naturalSize.width(), layout.naturalSize.height());
    if (size.isEmpty())
        throw EInvalidGraphic(QStringLiteral("メタファイルの大きさが不正です"));

    const QRectF target = converterTarget(layout, size);
    // The picture's pixels per device pixel: the converter spreads the
    // header's bounds over its picture, which goes into `target`.
    const double boundsWidth = double(layout.bounds.right()) - layout.bounds.left();
    const GlyphPlacement placement{boundsWidth > 0 ? target.width() / boundsWidth : 0,
                                   layout.hundredthsPerDevicePixelX};
    const QByteArray svg =
        svgWithFineCurves(svgOnWholePixels(convertToSvg(convert, bytes, size, placement), target,
                                           placement.pixelsPerHundredth()),
                          target);
    if (svg.isEmpty())
        throw EInvalidGraphic(QStringLiteral("メタファイルを描けません"));

    QImage paper(size, QImage::Format_RGB32);
    if (paper.isNull())
        throw EInvalidGraphic(QStringLiteral("メモリが足りません"));
    paper.fill(Qt::white);
    QPainter painter(&paper);
    painter.setRenderHint(QPainter::Antialiasing);
    const auto drawShapes = [&](const QByteArray& shapes) {
        QSvgRenderer renderer(shapes);
        if (!renderer.isValid())
            throw EInvalidGraphic(QStringLiteral("メタファイルを描けません (svg)"));
        renderer.render(&painter, target);
    };
    if (const auto layered = svgLayersAtText(svg)) {
        for (const SvgLayer& layer : layered->layers) {
            if (!layer.shapes.isEmpty())
                drawShapes(layer.shapes);
            for (const SvgText& text : layer.texts)
                drawSvgText(painter, text, target, layered->drawingSize);
        }
    } else {
        drawShapes(svg);
    }
    painter.end();
    return paper;
}

} // namespace graphics
