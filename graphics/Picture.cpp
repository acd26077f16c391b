#include "graphics/Picture.h"

#include "graphics/GraphicErrors.h"
#include "platform/Paths.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

Picture::~Picture() = default;

void Picture::loadFromFile(const QString& path) {
    // QFile opens a directory on some systems; it is never a picture.
    if (QFileInfo(path).isDir())
        throw EInvalidGraphic(
            QStringLiteral("「%1」はフォルダです").arg(platform::fileNameOf(path)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInvalidGraphic(QStringLiteral("ファイル「%1」を開けません: %2")
                                  .arg(platform::fileNameOf(path), file.errorString()));
    loadFromStream(file);
}

void Picture::loadFromData(const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    loadFromStream(buffer);
}

void Picture::assign(const Picture& source) {
    image_ = source.image_;
}
