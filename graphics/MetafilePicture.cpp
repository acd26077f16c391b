#include "graphics/MetafilePicture.h"

#include "graphics/GraphicErrors.h"
#include "graphics/MetafileRendering.h"
#include "graphics/PictureLimits.h"
#include "graphics/StreamBytes.h"
#include "graphics/WmfEmbeddedEmf.h"

namespace {

constexpr qint64 PlaceableHeaderBytes = 22;

// The EMF copy a WMF carries, drawn at the WMF's own size; a null image when
// there is none or it cannot be drawn, and the WMF records are drawn instead.
// A copy whose frame comes to the same whole pixels as the WMF's box keeps its
// own, finer size: the box is the same picture in coarser units, often a unit
// larger, and stretched over it the drawing would grow by that unit.
QImage drawEmbeddedEmf(const QByteArray& bytes, const graphics::WmfLayout& wmf) {
    const QByteArray emf = graphics::embeddedEmf(bytes, wmf.placeable ? PlaceableHeaderBytes : 0);
    if (emf.isEmpty() || graphics::detectMetafile(emf) != graphics::MetafileKind::Emf)
        return {};
    try {
        graphics::EmfLayout layout = graphics::checkEmf(emf);
        if (!wmf.naturalSize.isEmpty() && wmf.naturalSize.toSize() != layout.naturalSize.toSize())
            layout.naturalSize = wmf.naturalSize;
        return graphics::renderEmf(emf, layout);
    } catch (const EInvalidGraphic&) {
        return {};
    }
}

} // namespace

MetafilePicture::~MetafilePicture() = default;

void MetafilePicture::loadFromStream(QIODevice& device) {
    const QByteArray bytes = graphics::readAllBounded(device, graphics::MaxWholeFileBytes);
    switch (graphics::detectMetafile(bytes)) {
    case graphics::MetafileKind::Wmf: {
        const graphics::WmfLayout layout = graphics::checkWmf(bytes);
        if (const QImage fromCopy = drawEmbeddedEmf(bytes, layout); !fromCopy.isNull()) {
            setImage(fromCopy);
            return;
        }
        setImage(graphics::renderWmf(bytes, layout, timeLimit_));
        return;
    }
    case graphics::MetafileKind::Emf:
        setImage(graphics::renderEmf(bytes, graphics::checkEmf(bytes)));
        return;
    case graphics::MetafileKind::None:
        break;
    }
    throw EInvalidGraphic(QStringLiteral("メタファイル形式ではありません"));
}
