#include "graphics/Picture.h"

#include "graphics/GraphicErrors.h"
#include "platform/Paths.h"

#include <QBuffer>
#include <QFile>
#include <filesystem>

Picture::~Picture() = default;

void Picture::loadFromFile(const QString& path) {
    // Only regular files are pictures: opening a FIFO would block, and a device
    // such as /dev/zero never ends.
    std::error_code error;
    const std::filesystem::path native(QFile::encodeName(path).toStdString());
    if (std::filesystem::exists(native, error) && !std::filesystem::is_regular_file(native, error))
        throw EInvalidGraphic(
            QStringLiteral("「%1」は画像ファイルではありません").arg(platform::fileNameOf(path)));
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
