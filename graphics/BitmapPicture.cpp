#include "graphics/BitmapPicture.h"

#include "graphics/BmpFile.h"
#include "graphics/GraphicErrors.h"
#include "graphics/PictureLimits.h"
#include "graphics/StreamBytes.h"

#include <QBuffer>
#include <QImageReader>

namespace {

// Qt refuses by itself above an allocation limit; ours is the pixel limit.
constexpr int AllocationLimitMiB = int(graphics::MaxPixelCount * 4 / (1024 * 1024));

QImage readCheckedBmp(QIODevice& device) {
    const qint64 available = device.size() - device.pos();
    graphics::checkBmpFile(device.peek(graphics::BmpHeadBytes), available);

    QImageReader reader(&device, "bmp");
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    reader.setAllocationLimit(AllocationLimitMiB);
    QImage image = reader.read();
    if (image.isNull())
        throw EInvalidGraphic(
            QStringLiteral("ビットマップを読み込めません: %1").arg(reader.errorString()));
    return image;
}

} // namespace

BitmapPicture::~BitmapPicture() = default;

void BitmapPicture::loadFromStream(QIODevice& device) {
    loadBmpFromStream(device);
}

void BitmapPicture::loadBmpFromStream(QIODevice& device) {
    if (!device.isSequential()) {
        setImage(readCheckedBmp(device));
        return;
    }
    // A pipe or socket has no size to check against: take it whole first.
    QByteArray bytes = graphics::readAllBounded(device, graphics::MaxPixelCount * 4 + 4096);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    setImage(readCheckedBmp(buffer));
}
