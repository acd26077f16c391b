#pragma once

// The plug-ins built for these tests, picture data they read, and a look at
// what the host passed to them.

#include "platform/SharedLibrary.h"

#include <QByteArray>
#include <QColor>
#include <QString>
#include <cstdint>
#include <memory>

class TempDir;

// Full path of the test plug-in `name` ("tiny" gives ".../spi/tiny.spi").
[[nodiscard]] QString testPlugin(const QString& name);
// Copies the test plug-ins `names` into `dir` (as "<name>.spi"); gives `dir`.
QString copyPlugins(const TempDir& dir, const QString& subfolder, const QStringList& names);

// A tiny picture (the test filters' format) of `width` x `height` whose pixel
// (x, y) is tinyColour(x, y).
[[nodiscard]] QByteArray tinyPicture(int width, int height);
[[nodiscard]] QColor tinyColour(int x, int y);

// The malformed plug-in's data for one fault.
[[nodiscard]] QByteArray malformedData(int fault);

// What a loaded tiny filter saw last, read through its Tiny* exports.
class TinyProbe {
public:
    explicit TinyProbe(const QString& pluginPath);
    [[nodiscard]] QByteArray lastPeek() const;
    [[nodiscard]] QString lastName() const;
    [[nodiscard]] std::intptr_t lastInfoLength() const;
    [[nodiscard]] std::intptr_t lastPictureLength() const;
    [[nodiscard]] int supportedCalls() const;
    // True when the last picture-info record arrived filled with zero bytes.
    [[nodiscard]] bool infoArrivedZeroed() const;

private:
    std::unique_ptr<platform::SharedLibrary> library_;
};

// True while the shared object at `path` is loaded in this process.
[[nodiscard]] bool isLoaded(const QString& path);
