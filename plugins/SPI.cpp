#include "plugins/SPI.h"

#include "platform/SharedLibrary.h"
#include "plugins/PluginLog.h"
#include "plugins/SPIErrors.h"

#include <array>
#include <cstring>

namespace {

constexpr int32_t InfoBufferBytes = 256;

TSPILoadGate& loadGate() {
    static TSPILoadGate gate;
    return gate;
}

// Runs `read` (which calls into the plug-in) and replaces whatever the plug-in
// throws by ESPIPluginRaised, while its code is still loaded.
template <typename Read> auto guardPluginCall(const QString& fileName, Read&& read) {
    try {
        return read();
    } catch (const std::exception& e) {
        throw ESPIPluginRaised(fileName, QString::fromUtf8(e.what()));
    } catch (...) {
        throw ESPIPluginRaised(fileName, QStringLiteral("不明な例外"));
    }
}

} // namespace

void SetSPILoadGate(TSPILoadGate gate) {
    loadGate() = std::move(gate);
}

TSPI::TSPI(const QString& fileName) {
    if (loadGate() && !loadGate()(fileName))
        throw ESPIFOpenErrorSPI(fileName);
    QString reason;
    handle_ = platform::SharedLibrary::open(fileName, &reason);
    if (!handle_) {
        qCDebug(lcPlugins) << "cannot load" << fileName << ":" << reason;
        throw ESPIFOpenErrorSPI(fileName);
    }
    fileName_ = handle_->realPath();
    if (fileName_.isEmpty())
        fileName_ = fileName;
    getPluginInfo_ = reinterpret_cast<SpiGetPluginInfoFunc>(requireExport("GetPluginInfo"));
    guardPluginCall(fileName_, [this] {
        readInformation();
        return 0;
    });
}

TSPI::~TSPI() = default;

void TSPI::readInformation() {
    QString text;
    if (readInfoText(0, &text))
        apiVersion_ = text;
    if (readInfoText(1, &text))
        pluginName_ = text;
    for (int32_t n = 2; extensions_.size() < MaxFormats; n += 2) {
        QString pattern;
        QString description;
        if (!readInfoText(n, &pattern) || !readInfoText(n + 1, &description))
            return;
        extensions_.append(pattern);
        descriptions_.append(description);
    }
    qCWarning(lcPlugins) << fileName_ << "lists more than" << MaxFormats
                         << "formats; the rest is ignored";
}

bool TSPI::readInfoText(int32_t index, QString* text) const {
    // Zero-filled and one byte longer than promised: a plug-in that forgets the
    // terminating NUL still leaves a terminated text.
    std::array<char, InfoBufferBytes + 1> buffer{};
    if (getPluginInfo_(index, buffer.data(), InfoBufferBytes - 1) <= 0)
        return false;
    *text = QString::fromUtf8(buffer.data(), qsizetype(::strnlen(buffer.data(), InfoBufferBytes)));
    return true;
}

int32_t TSPI::GetPluginInfo(int32_t index, char* buffer, int32_t length) const {
    if (!getPluginInfo_)
        throw ESPIInvalidAPI(QStringLiteral("GetPluginInfo"), fileName_);
    return getPluginInfo_(index, buffer, length);
}

void* TSPI::exportNamed(const char* name) const {
    return handle_->symbol(name);
}

void* TSPI::requireExport(const char* name) const {
    void* address = exportNamed(name);
    if (!address) {
        qCDebug(lcPlugins) << fileName_ << "lacks the export" << name;
        throw ESPIInvalidSPI(fileName_, QString::fromLatin1(name));
    }
    return address;
}

TInSPI::TInSPI(const QString& fileName) : TSPI(fileName) {
    isSupported_ = reinterpret_cast<SpiIsSupportedFunc>(requireExport("IsSupported"));
    getPictureInfo_ = reinterpret_cast<SpiGetPictureInfoFunc>(requireExport("GetPictureInfo"));
    getPicture_ = reinterpret_cast<SpiGetPictureFunc>(requireExport("GetPicture"));
    getPreview_ = reinterpret_cast<SpiGetPreviewFunc>(exportNamed("GetPreview"));
    getPictureScaled_ = reinterpret_cast<SpiGetPictureScaledFunc>(exportNamed("GetPictureScaled"));
}

int32_t TInSPI::IsSupported(const char* fileName, const void* data) const {
    if (!isSupported_)
        throw ESPIInvalidAPI(QStringLiteral("IsSupported"), FileName());
    return isSupported_(fileName, data);
}

int32_t TInSPI::GetPictureInfo(const void* data, intptr_t length, uint32_t flag,
                               SpiPictureInfo* info) const {
    if (!getPictureInfo_)
        throw ESPIInvalidAPI(QStringLiteral("GetPictureInfo"), FileName());
    return getPictureInfo_(data, length, flag, info);
}

int32_t TInSPI::GetPicture(const void* data, intptr_t length, uint32_t flag, HLOCAL* bitmapInfo,
                           HLOCAL* bits, SpiProgressCallback progress, intptr_t user) const {
    if (!getPicture_)
        throw ESPIInvalidAPI(QStringLiteral("GetPicture"), FileName());
    return getPicture_(data, length, flag, bitmapInfo, bits, progress, user);
}

int32_t TInSPI::GetPictureScaled(const void* data, intptr_t length, uint32_t flag, int32_t maxWidth,
                                 int32_t maxHeight, HLOCAL* bitmapInfo, HLOCAL* bits,
                                 SpiProgressCallback progress, intptr_t user) const {
    if (!getPictureScaled_)
        return GetPicture(data, length, flag, bitmapInfo, bits, progress, user);
    return getPictureScaled_(data, length, flag, maxWidth, maxHeight, bitmapInfo, bits, progress,
                             user);
}

namespace {

std::unique_ptr<TSPI> loadAs(const QString& apiVersion, const QString& fileName) {
    if (apiVersion == QLatin1String("00IN"))
        return std::make_unique<TInSPI>(fileName);
    if (apiVersion == QLatin1String("00AM"))
        return std::make_unique<TAmSPI>(fileName);
    if (apiVersion == QLatin1String("00XN"))
        return std::make_unique<TXnSPI>(fileName);
    return std::make_unique<TSPI>(fileName);
}

} // namespace

std::unique_ptr<TSPI> CreateSPI(const QString& fileName) {
    try {
        // The first load only tells the kind; the second, of the fitting class,
        // keeps the module loaded when the first goes.
        const auto probe = std::make_unique<TSPI>(fileName);
        return loadAs(probe->APIVersion(), fileName);
    } catch (const ESPIInvalidSPI& e) {
        qCDebug(lcPlugins) << "not a usable plug-in:" << e.message() << e.missingExport();
        return nullptr;
    } catch (const ESPIFOpenErrorSPI& e) {
        qCDebug(lcPlugins) << e.message();
        return nullptr;
    }
}
