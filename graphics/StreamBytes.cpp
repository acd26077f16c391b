#include "graphics/StreamBytes.h"

#include "graphics/GraphicErrors.h"

#include <QIODevice>

namespace graphics {

QByteArray readAllBounded(QIODevice& device, qint64 limit) {
    if (!device.isReadable())
        throw EInvalidGraphic(QStringLiteral("画像を読み込めません: ストリームが開かれていません"));
    if (!device.isSequential() && device.size() - device.pos() > limit)
        throw EInvalidGraphic(QStringLiteral("画像ファイルが大きすぎます"));

    QByteArray bytes;
    constexpr qint64 chunk = 64 * 1024;
    for (;;) {
        const qint64 before = bytes.size();
        const qint64 want = std::min(chunk, limit + 1 - before);
        if (want <= 0)
            throw EInvalidGraphic(QStringLiteral("画像ファイルが大きすぎます"));
        bytes.resize(before + want);
        const qint64 got = device.read(bytes.data() + before, want);
        if (got < 0)
            throw EInvalidGraphic(
                QStringLiteral("画像を読み込めません: %1").arg(device.errorString()));
        bytes.resize(before + got);
        if (got == 0)
            break;
    }
    return bytes;
}

} // namespace graphics
