#include "plugins/InSPIAble.h"

#include "graphics/GraphicErrors.h"
#include "graphics/Picture.h"
#include "graphics/PictureLimits.h"
#include "graphics/StreamBytes.h"
#include "platform/NativePath.h"
#include "plugins/PluginHandle.h"
#include "plugins/PluginLog.h"
#include "plugins/SPIPatterns.h"
#include "plugins/SPIs.h"

#include <QBuffer>
#include <QFile>
#include <cstring>
#include <vector>

namespace {

// Largest file handed to the plug-ins: room for the largest picture we show,
// uncompressed, and its headers.
constexpr qint64 MaxDataBytes = graphics::MaxPixelCount * 4 + 64 * 1024;

// Sets the adapter's Ext and FileName for one load and empties them afterwards.
class NamedLoad {
public:
    NamedLoad(TInSPIAble& adapter, const QString& fileName) : adapter_(adapter) {
        adapter_.Ext = plugins::extensionWithDot(fileName);
        adapter_.FileName = fileName;
    }
    ~NamedLoad() {
        adapter_.Ext.clear();
        adapter_.FileName.clear();
    }
    NamedLoad(const NamedLoad&) = delete;
    NamedLoad& operator=(const NamedLoad&) = delete;

private:
    TInSPIAble& adapter_;
};

int32_t ignoreProgress(int32_t, int32_t, intptr_t) {
    return 0;
}

QString commentText(HLOCAL handle) {
    plugins::PluginHandle comment(handle);
    const plugins::DibBlock text = comment.lock();
    if (!text.data)
        return {};
    const auto* begin = reinterpret_cast<const char*>(text.data);
    const std::size_t length = ::strnlen(begin, std::size_t(text.size));
    return QString::fromUtf8(begin, qsizetype(length));
}

} // namespace

void TInSPIAble::LoadFromFile(const QString& fileName) {
    const NamedLoad named(*this, fileName);
    NativeFileLoader(Owner, fileName);
}

void TInSPIAble::LoadFromNamedStream(QIODevice& stream, const QString& fileName) {
    const NamedLoad named(*this, fileName);
    LoadFromStream(stream);
}

void TInSPIAble::LoadFromStream(QIODevice& stream) {
    // Memory is taken as it is; anything else is read whole, from its start.
    QByteArray data;
    if (auto* buffer = qobject_cast<QBuffer*>(&stream)) {
        data = buffer->data();
        if (data.size() > MaxDataBytes)
            throw EInvalidGraphic(QStringLiteral("ファイルが大きすぎます"));
    } else {
        if (!stream.isSequential())
            stream.seek(0);
        data = graphics::readAllBounded(stream, MaxDataBytes);
    }

    const QString bareExt = Ext.mid(1);
    const bool pluginsFirst = !Ext.isEmpty() && bareExt.toUpper() != NativeExt.toUpper();
    const bool loaded = pluginsFirst ? (tryPlugins(data) || tryNative(data))
                                     : (tryNative(data) || tryPlugins(data));
    if (!loaded)
        throw EInvalidGraphic(QStringLiteral("認識できない画像形式です"));
}

bool TInSPIAble::tryNative(const QByteArray& data) {
    if (!NativeStreamLoader)
        return false;
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    try {
        NativeStreamLoader(Owner, buffer);
        return true;
    } catch (const Exception& e) {
        qCDebug(lcPlugins) << "own reader refused:" << e.message();
        return false;
    }
}

bool TInSPIAble::tryPlugins(const QByteArray& data) {
    const TSPIs* collection = Plugins ? Plugins.get() : GetSPIs();
    if (!collection)
        return false;
    QList<TSPI*> candidates;
    collection->FindPlugins({spiClass<TInSPI>}, candidates, Ext);
    for (const TSPI* candidate : candidates) {
        if (tryPlugin(static_cast<const TInSPI&>(*candidate), data))
            return true;
    }
    return false;
}

bool TInSPIAble::tryPlugin(const TInSPI& plugin, const QByteArray& data) {
    if (decodeBlock(plugin, data.constData(), data.size()))
        return true;
    if (RetryPastHeader && data.size() > RetryOffset)
        return decodeBlock(plugin, data.constData() + RetryOffset, data.size() - RetryOffset);
    return false;
}

bool TInSPIAble::decodeBlock(const TInSPI& plugin, const char* data, qint64 length) {
    // Plug-ins may read SPI_PEEK_BYTES whatever the length: a short block goes
    // as a zero-filled copy, with its true length.
    std::vector<char> padded;
    if (length < SPI_PEEK_BYTES) {
        padded.assign(SPI_PEEK_BYTES, '\0');
        std::memcpy(padded.data(), data, std::size_t(length));
        data = padded.data();
    }

    const QByteArray name = platform::encodePath(FileName);
    if (plugin.IsSupported(name.constData(), data) == 0)
        return false;

    TPictureInfoRec picture;
    SpiPictureInfo record;
    std::memset(&record, 0, sizeof record);
    if (plugin.GetPictureInfo(data, intptr_t(length), SPI_INPUT_MEMORY, &record) == SPI_SUCCESS) {
        picture.Left = record.left;
        picture.Top = record.top;
        picture.Width = record.width;
        picture.Height = record.height;
        picture.XDensity = record.x_density;
        picture.YDensity = record.y_density;
        picture.ColorDepth = record.color_depth;
        if (record.comment)
            picture.Info = commentText(record.comment);
        picture.Valid = true;
    } else if (record.comment) {
        // A failed call may still have made a comment; it is ours to free.
        LocalFree(record.comment);
    }

    plugins::PluginHandle info;
    plugins::PluginHandle bits;
    const intptr_t user = reinterpret_cast<intptr_t>(this);
    const int32_t result =
        MaxWidth > 0 && MaxHeight > 0
            ? plugin.GetPictureScaled(data, intptr_t(length), SPI_INPUT_MEMORY, MaxWidth, MaxHeight,
                                      info.out(), bits.out(), &ignoreProgress, user)
            : plugin.GetPicture(data, intptr_t(length), SPI_INPUT_MEMORY, info.out(), bits.out(),
                                &ignoreProgress, user);
    if (result != SPI_SUCCESS) {
        qCDebug(lcPlugins) << plugin.FileName() << "GetPicture gave" << result;
        return false;
    }
    if (info.get() == bits.get()) {
        qCDebug(lcPlugins) << plugin.FileName() << "gave one handle for both parts";
        *bits.out() = nullptr; // freed once, through `info`
        return false;
    }
    if (!info.lock().data || !bits.lock().data) {
        qCDebug(lcPlugins) << plugin.FileName() << "gave no usable handles";
        return false;
    }
    bool loaded = false;
    if (OnDIB)
        OnDIB(info, bits, picture, loaded);
    return loaded;
}
