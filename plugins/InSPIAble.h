#pragma once

// Decodes picture data through the loaded import filters, for a picture type
// that knows nothing of plug-ins. The picture gives the adapter its own file
// and stream loaders and a receiver for decoded bitmaps; the adapter picks the
// order (the picture's own reader first for its native extension or no
// extension, the plug-ins first otherwise), hands the data to each plug-in in
// turn, and raises EInvalidGraphic "認識できない画像形式です" when nothing
// could read it.
//
// Every memory handle a plug-in hands back is unlocked and freed after use,
// whatever the plug-in returned and whatever the receiver did.

#include "plugins/DibImage.h"
#include "plugins/PluginHandle.h"

#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>

class Picture;
class QByteArray;
class QIODevice;
class TInSPI;

// What "GetPictureInfo" told about a picture. The numbers are set only when
// Valid is true; Info is the comment text (empty when there is none).
struct TPictureInfoRec {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::uint16_t XDensity = 0;
    std::uint16_t YDensity = 0;
    std::int16_t ColorDepth = 0;
    QString Info;
    bool Valid = false;
};

class TSPIs;

class TInSPIAble {
public:
    using FileLoader = std::function<void(Picture& owner, const QString& fileName)>;
    using StreamLoader = std::function<void(Picture& owner, QIODevice& stream)>;
    // Receives a decoded bitmap: the bitmap info and the pixel rows, each a
    // locked handle whose block() gives the memory and the handle's size. Sets
    // `loaded` when it took the picture. It may take over a handle with
    // release(); every handle it leaves is freed afterwards.
    using DIBEvent = std::function<void(plugins::PluginHandle& info, plugins::PluginHandle& bits,
                                        const TPictureInfoRec& picture, bool& loaded)>;

    explicit TInSPIAble(Picture& owner) : Owner(owner) {}
    TInSPIAble(const TInSPIAble&) = delete;
    TInSPIAble& operator=(const TInSPIAble&) = delete;

    Picture& Owner;
    QString Ext;      // extension of the file being loaded, with its dot
    QString FileName; // name of the file being loaded
    QString NativeExt;
    FileLoader NativeFileLoader;
    StreamLoader NativeStreamLoader;
    DIBEvent OnDIB;
    bool RetryPastHeader = true;
    // The collection whose import filters are tried; unset: the one collection
    // of the process (GetSPIs()), if any.
    QPointer<TSPIs> Plugins;
    // Above 0 both: the picture is shown no larger than this, so plug-ins with
    // "GetPictureScaled" may hand over a cheaply reduced one.
    std::int32_t MaxWidth = 0;
    std::int32_t MaxHeight = 0;

    void LoadFromFile(const QString& fileName);
    void LoadFromStream(QIODevice& stream);
    void LoadFromNamedStream(QIODevice& stream, const QString& fileName);

    // Bytes skipped on the second try of a plug-in that failed on the whole data.
    static constexpr qint64 RetryOffset = 128;

private:
    [[nodiscard]] bool tryNative(const QByteArray& data);
    [[nodiscard]] bool tryPlugins(const QByteArray& data);
    [[nodiscard]] bool tryPlugin(const TInSPI& plugin, const QByteArray& data);
    [[nodiscard]] bool decodeBlock(const TInSPI& plugin, const char* data, qint64 length);
};
