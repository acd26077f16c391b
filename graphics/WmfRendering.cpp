#include "graphics/GraphicErrors.h"
#include "graphics/MetafileRendering.h"
#include "graphics/PictureLimits.h"

#include <QDeadlineTimer>
#include <QPainter>
#include <libwmf/api.h>
#include <libwmf/gd.h>
#include <memory>

namespace graphics {
namespace {

// A drawing that takes longer than this is abandoned as hostile.
constexpr int RenderTimeLimitMs = 10'000;

struct ApiDeleter {
    void operator()(wmfAPI* api) const { wmf_api_destroy(api); }
};

int abandonWhenLate(void* context, float /*fraction*/) {
    return static_cast<QDeadlineTimer*>(context)->hasExpired() ? 1 : 0;
}

[[noreturn]] void renderFailed(const char* step) {
    throw EInvalidGraphic(QStringLiteral("メタファイルを描けません (%1)").arg(QLatin1String(step)));
}

// The raster device stores 7 bits of transparency above 24 bits of colour.
QImage toImage(const int* pixels, int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull())
        throw EInvalidGraphic(QStringLiteral("メモリが足りません"));
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const int* source = pixels + qint64(y) * width;
        for (int x = 0; x < width; ++x) {
            const auto p = static_cast<unsigned>(source[x]);
            const int transparency = int((p >> 24) & 0x7f);
            const int alpha = 255 - (transparency * 255 + 63) / 127;
            line[x] = qRgba(int((p >> 16) & 0xff), int((p >> 8) & 0xff), int(p & 0xff), alpha);
        }
    }
    return image;
}

} // namespace

QImage renderWmf(const QByteArray& bytes, const WmfLayout& layout) {
    wmfAPI_Options options{};
    options.function = wmf_gd_function;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    wmfAPI* rawApi = nullptr;
    const wmf_error_t created = wmf_api_create(&rawApi, flags, &options);
    std::unique_ptr<wmfAPI, ApiDeleter> api(rawApi);
    if (created != wmf_E_None || !api)
        renderFailed("init");

    QDeadlineTimer deadline(RenderTimeLimitMs);
    wmf_status_function(api.get(), &deadline, abandonWhenLate);

    wmf_gd_t* device = WMF_GD_GetData(api.get());
    device->type = wmf_gd_image;

    // libwmf only reads the buffer, but its interface is not const.
    QByteArray data = bytes;
    if (wmf_mem_open(api.get(), reinterpret_cast<unsigned char*>(data.data()), data.size()) !=
        wmf_E_None)
        renderFailed("open");
    wmfD_Rect bbox{};
    if (wmf_scan(api.get(), 0, &bbox) != wmf_E_None)
        renderFailed("scan");

    QSizeF natural = layout.naturalSize;
    if (natural.isEmpty()) {
        // Without a placeable header libwmf measures the drawing in units of
        // 1/72 inch; asking at 72 dpi gives one pixel per logical unit, which is
        // what the default mapping mode means on the screen.
        unsigned int w = 0;
        unsigned int h = 0;
        if (wmf_display_size(api.get(), &w, &h, 72.0, 72.0) != wmf_E_None)
            renderFailed("size");
        natural = QSizeF(w, h);
    }
    const QSize size = clampRenderedSize(natural.width(), natural.height());
    if (size.isEmpty())
        throw EInvalidGraphic(QStringLiteral("メタファイルの大きさが不正です"));

    // A placeable file shows its frame, clipping what lies outside, as it
    // does where it comes from; other files show all they draw.
    if (!layout.framePoints.isEmpty()) {
        bbox.TL.x = float(layout.framePoints.left());
        bbox.TL.y = float(layout.framePoints.top());
        bbox.BR.x = float(layout.framePoints.right());
        bbox.BR.y = float(layout.framePoints.bottom());
    }
    device->bbox = bbox;
    device->width = unsigned(size.width());
    device->height = unsigned(size.height());
    if (wmf_play(api.get(), 0, &bbox) != wmf_E_None)
        renderFailed(deadline.hasExpired() ? "time" : "play");
    const int* pixels = device->gd_image ? wmf_gd_image_pixels(device->gd_image) : nullptr;
    if (!pixels)
        renderFailed("output");

    QImage drawn = toImage(pixels, size.width(), size.height());
    wmf_mem_close(api.get());
    QImage paper(size, QImage::Format_RGB32);
    paper.fill(Qt::white);
    {
        QPainter painter(&paper);
        painter.drawImage(0, 0, drawn);
    }
    return paper;
}

} // namespace graphics
