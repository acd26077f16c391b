#pragma once

// One loaded picture plug-in. A TSPI exists only fully loaded: its constructor
// either finishes with the shared object loaded, its information texts read and
// the exports its kind needs found, or raises and leaves nothing loaded.
// Destroying it releases the shared object (this reference of it).
//
//   TSPI     any plug-in; needs "GetPluginInfo"
//   TInSPI   import filter ("00IN"); also needs "IsSupported",
//            "GetPictureInfo" and "GetPicture"; "GetPreview" and
//            "GetPictureScaled" are optional
//   TAmSPI   archive plug-in ("00AM"), only marks the kind
//   TXnSPI   export filter ("00XN"), only marks the kind
//
// CreateSPI() loads a file as the class its API version names.

#include "sdk/sorteka_spi.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace platform {
class SharedLibrary;
}

class TSPI {
public:
    // Loads `fileName`. Raises ESPIFOpenErrorSPI when it cannot be loaded,
    // ESPIInvalidSPI without "GetPluginInfo", ESPIPluginRaised when the plug-in
    // raises while its texts are read.
    explicit TSPI(const QString& fileName);
    virtual ~TSPI();
    TSPI(const TSPI&) = delete;
    TSPI& operator=(const TSPI&) = delete;

    // The loaded object's real path; the name passed in when the system cannot tell.
    [[nodiscard]] const QString& FileName() const { return fileName_; }
    [[nodiscard]] const QString& APIVersion() const { return apiVersion_; }
    [[nodiscard]] const QString& PluginName() const { return pluginName_; }
    // File patterns ("*.jpg") in the plug-in's order, and the description of each.
    [[nodiscard]] const QStringList& Extensions() const { return extensions_; }
    [[nodiscard]] const QStringList& Descriptions() const { return descriptions_; }

    // Passed unchanged to the plug-in's export of the same name.
    int32_t GetPluginInfo(int32_t index, char* buffer, int32_t length) const;

    // More format pairs than this are taken as a plug-in that never stops answering.
    static constexpr int MaxFormats = 4096;

protected:
    // The export `name`, or null when the plug-in lacks it.
    [[nodiscard]] void* exportNamed(const char* name) const;
    // The export `name`; raises ESPIInvalidSPI when the plug-in lacks it.
    [[nodiscard]] void* requireExport(const char* name) const;

private:
    void readInformation();
    // Text of GetPluginInfo(index) with a 256-byte buffer; nothing when it gives 0 or less.
    [[nodiscard]] bool readInfoText(int32_t index, QString* text) const;

    std::unique_ptr<platform::SharedLibrary> handle_;
    QString fileName_;
    QString apiVersion_;
    QString pluginName_;
    QStringList extensions_;
    QStringList descriptions_;
    SpiGetPluginInfoFunc getPluginInfo_ = nullptr;
};

class TInSPI : public TSPI {
public:
    explicit TInSPI(const QString& fileName);

    // Each passed unchanged to the plug-in's export of the same name; raises
    // ESPIInvalidAPI when the export is missing.
    int32_t IsSupported(const char* fileName, const void* data) const;
    int32_t GetPictureInfo(const void* data, intptr_t length, uint32_t flag,
                           SpiPictureInfo* info) const;
    int32_t GetPicture(const void* data, intptr_t length, uint32_t flag, HLOCAL* bitmapInfo,
                       HLOCAL* bits, SpiProgressCallback progress, intptr_t user) const;

    // The plug-in's "GetPictureScaled" when it has one; otherwise its
    // "GetPicture", whose full-size picture the caller scales itself.
    int32_t GetPictureScaled(const void* data, intptr_t length, uint32_t flag, int32_t maxWidth,
                             int32_t maxHeight, HLOCAL* bitmapInfo, HLOCAL* bits,
                             SpiProgressCallback progress, intptr_t user) const;

    [[nodiscard]] bool hasPreview() const { return getPreview_ != nullptr; }
    [[nodiscard]] bool hasScaledPicture() const { return getPictureScaled_ != nullptr; }

private:
    SpiGetPictureInfoFunc getPictureInfo_ = nullptr;
    SpiIsSupportedFunc isSupported_ = nullptr;
    SpiGetPictureFunc getPicture_ = nullptr;
    SpiGetPreviewFunc getPreview_ = nullptr;
    SpiGetPictureScaledFunc getPictureScaled_ = nullptr;
};

class TAmSPI : public TSPI {
public:
    using TSPI::TSPI;
};

class TXnSPI : public TSPI {
public:
    using TSPI::TSPI;
};

// Loads `fileName` as the class its API version names ("00IN", "00AM", "00XN",
// compared exactly; anything else gives a plain TSPI). Gives null when the file
// cannot be loaded or is no usable plug-in of its kind; other errors go on.
[[nodiscard]] std::unique_ptr<TSPI> CreateSPI(const QString& fileName);

// Asked with a plug-in file's name just before the file is loaded; returning
// false refuses the file, which then counts as one that cannot be loaded. One
// gate serves the whole process: the decoder program reports through it which
// file it is about to load, so a file that takes the process down can be named
// and left out on the next start. No gate: every file is loaded.
using TSPILoadGate = std::function<bool(const QString& fileName)>;
void SetSPILoadGate(TSPILoadGate gate);
