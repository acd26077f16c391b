#include "plugins/SPIBmp.h"

#include "graphics/GraphicErrors.h"
#include "plugins/PluginLog.h"
#include "plugins/SPIs.h"

#include <QBuffer>

TSPIBitmap::TSPIBitmap(TSPIs* plugins) : adapter_(std::make_unique<TInSPIAble>(*this)) {
    adapter_->Plugins = plugins;
    adapter_->NativeExt = QStringLiteral("BMP");
    adapter_->NativeFileLoader = [](Picture& owner, const QString& fileName) {
        // Opens the file and comes back through loadFromStream().
        owner.Picture::loadFromFile(fileName);
    };
    adapter_->NativeStreamLoader = [](Picture& owner, QIODevice& stream) {
        static_cast<TSPIBitmap&>(owner).loadBmpFromStream(stream);
    };
    adapter_->OnDIB = [this](plugins::PluginHandle& info, plugins::PluginHandle& bits,
                             const TPictureInfoRec& picture, bool& loaded) {
        receiveDIB(info, bits, loaded);
        if (loaded && picture.Valid && picture.Width > 0 && picture.Height > 0) {
            // A plug-in that turned the picture upright reports the stored size.
            const QSize described(picture.Width, picture.Height);
            const bool turned =
                (described.width() > described.height()) != (image().width() > image().height());
            fullSize_ = turned ? described.transposed() : described;
        }
    };
    adapter_->RetryPastHeader = RetryPastHeader;
}

TSPIBitmap::~TSPIBitmap() = default;

void TSPIBitmap::assign(const Picture& source) {
    if (const auto* other = dynamic_cast<const TSPIBitmap*>(&source))
        RetryPastHeader = other->RetryPastHeader;
    BitmapPicture::assign(source);
}

void TSPIBitmap::loadFromFile(const QString& path) {
    prepareAdapter();
    adapter_->LoadFromFile(path);
}

void TSPIBitmap::loadFromStream(QIODevice& device) {
    prepareAdapter();
    adapter_->LoadFromStream(device);
}

void TSPIBitmap::LoadFromNamedStream(QIODevice& device, const QString& fileName) {
    prepareAdapter();
    adapter_->LoadFromNamedStream(device, fileName);
}

void TSPIBitmap::prepareAdapter() {
    adapter_->RetryPastHeader = RetryPastHeader;
    const bool boxed = DisplayBox.width() > 0 && DisplayBox.height() > 0;
    adapter_->MaxWidth = boxed ? DisplayBox.width() : 0;
    adapter_->MaxHeight = boxed ? DisplayBox.height() : 0;
    fullSize_ = QSize();
}

void TSPIBitmap::receiveDIB(plugins::PluginHandle& infoHandle, plugins::PluginHandle& bitsHandle,
                            bool& loaded) {
    const plugins::DibBlock info = infoHandle.block();
    const plugins::DibBlock bits = bitsHandle.block();
    QString reason;
    const auto layout = plugins::checkDib(info, bits, &reason);
    if (!layout) {
        qCDebug(lcPlugins) << "refused a plug-in's bitmap:" << reason;
        return;
    }
    if (plugins::isPlainDib(*layout)) {
        // The picture keeps the plug-in's pixel handle rather than a copy of it.
        QImage image = plugins::adoptPlainDib(*layout, info, bitsHandle);
        if (image.isNull())
            throw std::bad_alloc();
        setImage(std::move(image));
        loaded = true;
        return;
    }
    // Bit fields and run-length data: the bitmap type's own reader knows them.
    QByteArray file = plugins::bmpFileFromDib(*layout, info, bits);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    try {
        loadBmpFromStream(buffer);
        loaded = true;
    } catch (const EInvalidGraphic& e) {
        qCDebug(lcPlugins) << "refused a plug-in's bitmap:" << e.message();
    }
}
