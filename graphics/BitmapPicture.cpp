#include "graphics/BitmapPicture.h"

#include "graphics/BmpFile.h"
#include "graphics/PictureLimits.h"
#include "graphics/StreamBytes.h"

BitmapPicture::~BitmapPicture() = default;

void BitmapPicture::loadFromStream(QIODevice& device) {
    loadBmpFromStream(device);
}

void BitmapPicture::loadBmpFromStream(QIODevice& device) {
    // The largest picture we take, uncompressed at 32 bits, with its headers.
    const QByteArray bytes = graphics::readAllBounded(device, graphics::MaxPixelCount * 4 + 4096);
    setImage(graphics::readBmpFile(bytes));
}
