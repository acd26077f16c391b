// libFuzzer entry for the built-in picture types: every input is offered to
// each of them; anything but our error is a finding.

#include "graphics/BitmapPicture.h"
#include "graphics/GraphicErrors.h"
#include "graphics/IconPicture.h"
#include "graphics/MetafilePicture.h"

#include <QGuiApplication>
#include <cstdint>

namespace {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "fuzz_pictures";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
}

void offer(Picture& picture, const QByteArray& bytes) {
    try {
        picture.loadFromData(bytes);
    } catch (const EInvalidGraphic&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ensureApplication();
    // No copy: a read past the input shows under a sanitizer.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    BitmapPicture bitmap;
    offer(bitmap, bytes);
    IconPicture icon;
    offer(icon, bytes);
    MetafilePicture metafile;
    metafile.setTimeLimit(std::chrono::seconds(2));
    offer(metafile, bytes);
    return 0;
}
