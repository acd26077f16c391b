// libFuzzer entry for the built-in picture types: every input is offered to
// each of them; anything but our error is a finding.

#include "graphics/BitmapPicture.h"
#include "graphics/DibReader.h"
#include "graphics/EmfBitmaps.h"
#include "graphics/GraphicErrors.h"
#include "graphics/IconPicture.h"
#include "graphics/MetafilePicture.h"
#include "graphics/MetafileRecords.h"
#include "graphics/PictureLimits.h"
#include "graphics/WmfObjectTable.h"
#include "graphics/WmfPlayback.h"

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

// The frame, object and bitmap rewriting of metafiles, also for inputs that
// are refused before drawing.
void rewriteMetafile(const QByteArray& bytes) {
    try {
        switch (graphics::detectMetafile(bytes)) {
        case graphics::MetafileKind::Wmf: {
            const auto layout = graphics::checkWmf(bytes);
            const QSize size = graphics::clampRenderedSize(layout.naturalSize.width(),
                                                           layout.naturalSize.height());
            (void)graphics::wmfPlayback(
                graphics::withOwnObjectSlots(bytes, layout.placeable ? 22 : 0), layout, size);
            break;
        }
        case graphics::MetafileKind::Emf:
            (void)graphics::checkEmf(bytes);
            (void)graphics::emfWithPlainBitmaps(bytes);
            break;
        case graphics::MetafileKind::None:
            break;
        }
    } catch (const EInvalidGraphic&) {
    }
}

// The input as a bitmap a plug-in hands over: header and colour table, with
// the pixels read from the same bytes.
void readPackedDib(const QByteArray& bytes) {
    try {
        (void)graphics::readDib(bytes, bytes, graphics::DibAlpha::FourthByte);
    } catch (const EInvalidGraphic&) {
    } catch (const std::bad_alloc&) {
    }
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
    readPackedDib(bytes);
    rewriteMetafile(bytes);
    MetafilePicture metafile;
    metafile.setTimeLimit(std::chrono::seconds(2));
    offer(metafile, bytes);
    return 0;
}
