#include "graphics/GraphicErrors.h"
#include "graphics/MetafileRendering.h"
#include "graphics/PictureLimits.h"
#include "graphics/WmfBitmaps.h"
#include "graphics/WmfBrushes.h"
#include "graphics/WmfFontHeights.h"
#include "graphics/WmfObjectTable.h"
#include "graphics/WmfPlayback.h"
#include "graphics/WmfRasterDevice.h"
#include "graphics/WmfRecordStream.h"
#include "graphics/WmfShapes.h"
#include "graphics/WmfText.h"
#include "graphics/WmfTextAlignment.h"
#include "graphics/WmfTextRuns.h"

#include <QDeadlineTimer>
#include <QPainter>
#include <libwmf/api.h>
#include <libwmf/gd.h>
#include <memory>

namespace graphics {
namespace {

struct ApiDeleter {
    void operator()(wmfAPI* api) const { wmf_api_destroy(api); }
};

// The raster device stores 7 bits of transparency above 24 bits of colour.
QImage toImage(const int* pixels, int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const auto p = unsigned(pixels[std::size_t(y) * width + x]);
            const int transparency = int((p >> 24) & 0x7f);
            const int alpha = 255 - (transparency * 255 + 63) / 127;
            line[x] = qRgba(int((p >> 16) & 0xff), int((p >> 8) & 0xff), int(p & 0xff), alpha);
        }
    }
    return image;
}

constexpr qint64 PlaceableHeaderBytes = 22;

// libwmf asks this between records whether to go on: the one safe way to
// stop it part-way, since it then unwinds and frees what it holds.
struct PlayWatch {
    QDeadlineTimer deadline;
    WmfTextPainter* text = nullptr;
};

int betweenRecords(void* context, float) {
    auto* watch = static_cast<PlayWatch*>(context);
    if (watch->text)
        watch->text->recordEnded();
    return watch->deadline.hasExpired() ? 1 : 0;
}

// libwmf's raster device draws without anti-aliasing: the drawing is played
// at a few times its size and scaled down, so that edges come out smooth as
// other programs draw them.
constexpr int MaxSupersampling = 4;
constexpr qint64 MaxSupersampledPixels = qint64(8) * 1024 * 1024;

int supersampling(QSize size) {
    for (int factor = MaxSupersampling; factor > 1; --factor) {
        const qint64 w = qint64(size.width()) * factor;
        const qint64 h = qint64(size.height()) * factor;
        if (w <= MaxRenderedSide && h <= MaxRenderedSide && w * h <= MaxSupersampledPixels)
            return factor;
    }
    return 1;
}

// Plays the metafile with libwmf's raster device; a null image when libwmf
// fails or gives up at the deadline.
QImage drawWithLibwmf(const QByteArray& bytes, const WmfLayout& layout, QDeadlineTimer deadline) {
    wmfAPI_Options options{};
    options.function = wmf_gd_function;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    wmfAPI* rawApi = nullptr;
    const wmf_error_t created = wmf_api_create(&rawApi, flags, &options);
    std::unique_ptr<wmfAPI, ApiDeleter> api(rawApi);
    if (created != wmf_E_None || !api)
        return {};
    PlayWatch watch{deadline};
    wmf_status_function(api.get(), &watch, betweenRecords);

    wmf_gd_t* device = WMF_GD_GetData(api.get());
    device->type = wmf_gd_image;

    // A placeable file knows its size; libwmf measures other drawings in units
    // of 1/72 inch, and asking at 72 dpi gives one pixel per logical unit,
    // which is what the default mapping mode means on the screen.
    QSize target = clampRenderedSize(layout.naturalSize.width(), layout.naturalSize.height());
    QSize size = target * supersampling(target);
    const qint64 headerAt = layout.placeable ? PlaceableHeaderBytes : 0;
    // libwmf only reads the buffer, but its interface is not const.
    WmfPlayback playback = wmfPlayback(
        withLigatureRunsWhole(
            withFontHeightsAsEm(
                withTextAlignmentRestored(
                    withOwnObjectSlots(withDrawableBrushes(bytes, headerAt), headerAt), headerAt),
                headerAt),
            headerAt),
        layout, size);
    setWmfLargestRecord(playback.bytes, headerAt);
    if (wmf_mem_open(api.get(), reinterpret_cast<unsigned char*>(playback.bytes.data()),
                     playback.bytes.size()) != wmf_E_None)
        return {};
    wmfD_Rect bbox{};
    if (wmf_scan(api.get(), 0, &bbox) != wmf_E_None)
        return {};
    if (layout.naturalSize.isEmpty()) {
        unsigned int w = 0;
        unsigned int h = 0;
        if (wmf_display_size(api.get(), &w, &h, 72.0, 72.0) != wmf_E_None)
            return {};
        target = clampRenderedSize(w, h);
        size = target * supersampling(target);
    }
    if (size.isEmpty())
        return {};
    if (!playback.frame.isEmpty()) {
        bbox.TL.x = float(playback.frame.left());
        bbox.TL.y = float(playback.frame.top());
        bbox.BR.x = float(playback.frame.right());
        bbox.BR.y = float(playback.frame.bottom());
    }
    device->bbox = bbox;
    device->width = unsigned(size.width());
    device->height = unsigned(size.height());
    const QRectF frame(QPointF(bbox.TL.x, bbox.TL.y), QPointF(bbox.BR.x, bbox.BR.y));
    const int factor = size.width() / std::max(1, target.width());
    const WmfRaster raster{frame, size, factor};
    WmfTextPainter text(raster);
    watch.text = &text;
    WmfBitmapPainter bitmaps(raster);
    WmfShapePainter shapes(raster);
    WmfPainters painters{&text, &bitmaps, &shapes};
    api->user_data = &painters;
    text.takeTextOf(api.get());
    bitmaps.takeBitmapsOf(api.get());
    shapes.takeShapesOf(api.get());
    if (wmf_play(api.get(), 0, &bbox) != wmf_E_None)
        return {};
    int* pixels = device->gd_image ? wmf_gd_image_pixels(device->gd_image) : nullptr;
    if (!pixels)
        return {};
    text.playEnded(pixels);
    const QImage drawn = toImage(pixels, size.width(), size.height());
    if (drawn.isNull() || drawn.size() == target)
        return drawn;
    return drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied)
        .scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

QImage renderWmf(const QByteArray& bytes, const WmfLayout& layout,
                 std::chrono::milliseconds timeLimit) {
    const QImage image = drawWithLibwmf(bytes, layout, QDeadlineTimer(timeLimit));
    if (image.isNull())
        throw EInvalidGraphic(QStringLiteral("メタファイルを描けません"));
    QImage paper(image.size(), QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter painter(&paper);
    painter.drawImage(0, 0, image);
    painter.end();
    return paper;
}

} // namespace graphics
