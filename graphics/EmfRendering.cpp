#include "graphics/GraphicErrors.h"
#include "graphics/IsolatedRun.h"
#include "graphics/MetafileRendering.h"
#include "graphics/PictureLimits.h"

#include <QPainter>
#include <QSvgRenderer>
#include <cstdlib>
#include <dlfcn.h>
#include <emf2svg.h>
#include <memory>

namespace graphics {
namespace {

// libemf2svg is loaded with local binding: the libuemf it depends on exports a
// wmf_free() of its own, which would otherwise take the place of libwmf's
// function of that name for the whole process.
constexpr const char* LibraryName = "libemf2svg.so.1";

using ConvertFunction = int (*)(char*, size_t, char**, size_t*, generatorOptions*);

ConvertFunction converter() {
    static const ConvertFunction function = []() -> ConvertFunction {
        void* library = dlopen(LibraryName, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return nullptr;
        // Kept loaded for the rest of the run.
        return reinterpret_cast<ConvertFunction>(dlsym(library, "emf2svg"));
    }();
    return function;
}

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};

// Largest SVG text the converter may hand back.
constexpr std::size_t SvgCapacity = std::size_t(256) * 1024 * 1024;

// Runs inside the drawing child: converts the metafile to SVG text.
bool convertToSvg(ConvertFunction convert, const QByteArray& bytes, QSize size, char* out,
                  std::size_t capacity, std::size_t& used) {
    generatorOptions options{};
    char noNamespace[] = "";
    options.nameSpace = noNamespace;
    options.verbose = false;
    options.emfplus = false;
    options.svgDelimiter = true;
    options.imgWidth = size.width();
    options.imgHeight = size.height();

    // The converter only reads its input, but its interface is not const.
    QByteArray data = bytes;
    char* rawSvg = nullptr;
    size_t svgLength = 0;
    const int ok = convert(data.data(), size_t(data.size()), &rawSvg, &svgLength, &options);
    std::unique_ptr<char, FreeDeleter> svg(rawSvg);
    if (!ok || !svg || svgLength == 0 || svgLength > capacity)
        return false;
    std::memcpy(out, svg.get(), svgLength);
    used = svgLength;
    return true;
}

} // namespace

QImage renderEmf(const QByteArray& bytes, const EmfLayout& layout,
                 std::chrono::milliseconds timeLimit) {
    const ConvertFunction convert = converter();
    if (!convert)
        throw EInvalidGraphic(QStringLiteral("拡張メタファイルを描くライブラリ (%1) がありません")
                                  .arg(QLatin1String(LibraryName)));

    const QSize size = clampRenderedSize(layout.naturalSize.width(), layout.naturalSize.height());
    if (size.isEmpty())
        throw EInvalidGraphic(QStringLiteral("メタファイルの大きさが不正です"));

    const QByteArray svg = runIsolated(
        [&](char* out, std::size_t capacity, std::size_t& used) {
            return convertToSvg(convert, bytes, size, out, capacity, used);
        },
        SvgCapacity, timeLimit);

    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        throw EInvalidGraphic(QStringLiteral("メタファイルを描けません (svg)"));

    QImage paper(size, QImage::Format_RGB32);
    if (paper.isNull())
        throw EInvalidGraphic(QStringLiteral("メモリが足りません"));
    paper.fill(Qt::white);
    QPainter painter(&paper);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return paper;
}

} // namespace graphics
