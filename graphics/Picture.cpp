#include "graphics/Picture.h"

#include "graphics/GraphicErrors.h"
#include "platform/NativePath.h"
#include "platform/Paths.h"

#include <QBuffer>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Picture::~Picture() = default;

void Picture::loadFromFile(const QString& path) {
    // O_NONBLOCK: a FIFO must not hang the open. Only regular files are
    // pictures: a device such as /dev/zero never ends.
    const int fd = ::open(platform::encodePath(path).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        throw EInvalidGraphic(QStringLiteral("ファイル「%1」を開けません: %2")
                                  .arg(platform::displayPath(platform::fileNameOf(path)),
                                       QString::fromLocal8Bit(std::strerror(errno))));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw EInvalidGraphic(QStringLiteral("「%1」は画像ファイルではありません")
                                  .arg(platform::displayPath(platform::fileNameOf(path))));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw EInvalidGraphic(
            QStringLiteral("ファイル「%1」を開けません: %2")
                .arg(platform::displayPath(platform::fileNameOf(path)), file.errorString()));
    }
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
