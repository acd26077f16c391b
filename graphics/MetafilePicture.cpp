#include "graphics/MetafilePicture.h"

#include "graphics/GraphicErrors.h"
#include "graphics/MetafileRendering.h"
#include "graphics/PictureLimits.h"
#include "graphics/StreamBytes.h"

MetafilePicture::~MetafilePicture() = default;

void MetafilePicture::loadFromStream(QIODevice& device) {
    const QByteArray bytes = graphics::readAllBounded(device, graphics::MaxWholeFileBytes);
    switch (graphics::detectMetafile(bytes)) {
    case graphics::MetafileKind::Wmf:
        setImage(graphics::renderWmf(bytes, graphics::checkWmf(bytes), timeLimit_));
        return;
    case graphics::MetafileKind::Emf:
        setImage(graphics::renderEmf(bytes, graphics::checkEmf(bytes)));
        return;
    case graphics::MetafileKind::None:
        break;
    }
    throw EInvalidGraphic(QStringLiteral("メタファイル形式ではありません"));
}
