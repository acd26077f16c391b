#include "TestPlugins.h"

#include "sdk/sorteka_spi.h"
#include "support/TempDir.h"

#include <QFile>
#include <dlfcn.h>

QString testPlugin(const QString& name) {
    return QStringLiteral(SORTEKA_TEST_SPI_DIR "/") + name + QStringLiteral(".spi");
}

QString copyPlugins(const TempDir& dir, const QString& subfolder, const QStringList& names) {
    const QString target = dir.mkdir(subfolder);
    for (const QString& name : names)
        QFile::copy(testPlugin(name), target + "/" + name + ".spi");
    return target;
}

QColor tinyColour(int x, int y) {
    return QColor((10 + 37 * x) % 256, (20 + 29 * y) % 256, (200 + 11 * (x + y)) % 256);
}

QByteArray tinyPicture(int width, int height) {
    QByteArray data("TPIC");
    data.append(char(width & 0xff)).append(char(width >> 8));
    data.append(char(height & 0xff)).append(char(height >> 8));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QColor c = tinyColour(x, y);
            data.append(char(c.red())).append(char(c.green())).append(char(c.blue()));
        }
    }
    return data;
}

QByteArray malformedData(int fault) {
    QByteArray data("BAD!");
    data.append(char(fault));
    return data;
}

namespace {

template <typename F> F probeFunction(const platform::SharedLibrary& library, const char* name) {
    return reinterpret_cast<F>(library.symbol(name));
}

} // namespace

TinyProbe::TinyProbe(const QString& pluginPath)
    : library_(platform::SharedLibrary::open(pluginPath)) {}

QByteArray TinyProbe::lastPeek() const {
    const auto peek = probeFunction<const unsigned char* (*)()>(*library_, "TinyLastPeek");
    return QByteArray(reinterpret_cast<const char*>(peek()), SPI_PEEK_BYTES);
}

QString TinyProbe::lastName() const {
    return QString::fromUtf8(probeFunction<const char* (*)()>(*library_, "TinyLastName")());
}

std::intptr_t TinyProbe::lastInfoLength() const {
    return probeFunction<std::intptr_t (*)()>(*library_, "TinyLastInfoLength")();
}

std::intptr_t TinyProbe::lastPictureLength() const {
    return probeFunction<std::intptr_t (*)()>(*library_, "TinyLastPictureLength")();
}

int TinyProbe::supportedCalls() const {
    return probeFunction<int (*)()>(*library_, "TinySupportedCalls")();
}

bool TinyProbe::infoArrivedZeroed() const {
    return probeFunction<int (*)()>(*library_, "TinyInfoArrivedZeroed")() != 0;
}

bool isLoaded(const QString& path) {
    void* handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return false;
    ::dlclose(handle);
    return true;
}
