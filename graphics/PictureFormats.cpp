#include "graphics/PictureFormats.h"

#include "graphics/BitmapPicture.h"
#include "graphics/GraphicErrors.h"
#include "graphics/GraphicsLog.h"
#include "graphics/IconPicture.h"
#include "graphics/MetafilePicture.h"
#include "platform/Paths.h"

#include <new>

Q_LOGGING_CATEGORY(lcGraphics, "sorteka.graphics", QtWarningMsg)

namespace {

QString normalised(const QString& extension) {
    const QString bare = extension.startsWith(u'.') ? extension.mid(1) : extension;
    return bare.toLower();
}

template <typename T> PictureFormats::Factory factoryOf() {
    return [] { return std::make_unique<T>(); };
}

} // namespace

PictureFormats::PictureFormats() {
    registerFormat(QStringLiteral("bmp"), QStringLiteral("ビットマップ"),
                   factoryOf<BitmapPicture>());
    registerFormat(QStringLiteral("ico"), QStringLiteral("アイコン"), factoryOf<IconPicture>());
    registerFormat(QStringLiteral("wmf"), QStringLiteral("メタファイル"),
                   factoryOf<MetafilePicture>());
    registerFormat(QStringLiteral("emf"), QStringLiteral("拡張メタファイル"),
                   factoryOf<MetafilePicture>());
}

PictureFormats& PictureFormats::instance() {
    static PictureFormats formats;
    return formats;
}

bool PictureFormats::registerFormat(const QString& extension, const QString& description,
                                    Factory factory) {
    const QString key = normalised(extension);
    if (key.isEmpty() || !factory)
        return false;
    for (Entry& entry : entries_) {
        if (entry.extension.compare(key, Qt::CaseInsensitive) == 0) {
            entry.description = description;
            entry.factory = std::move(factory);
            return true;
        }
    }
    entries_.push_back({key, description, std::move(factory)});
    return true;
}

const PictureFormats::Entry* PictureFormats::find(const QString& extension) const {
    const QString key = normalised(extension);
    if (key.isEmpty())
        return nullptr;
    for (const Entry& entry : entries_) {
        if (entry.extension.compare(key, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

bool PictureFormats::isRegistered(const QString& extension) const {
    return find(extension) != nullptr;
}

QString PictureFormats::descriptionOf(const QString& extension) const {
    const Entry* entry = find(extension);
    return entry ? entry->description : QString();
}

QList<PictureFormat> PictureFormats::formats() const {
    QList<PictureFormat> list;
    list.reserve(qsizetype(entries_.size()));
    for (const Entry& entry : entries_)
        list.append({entry.extension, entry.description});
    return list;
}

std::unique_ptr<Picture> PictureFormats::create(const QString& extension) const {
    const Entry* entry = find(extension);
    return entry ? entry->factory() : nullptr;
}

std::unique_ptr<Picture> PictureFormats::loadFromFile(const QString& path) const {
    const QString extension = platform::extensionOf(path);
    std::unique_ptr<Picture> picture = create(extension);
    if (!picture)
        throw EInvalidGraphic(
            QStringLiteral("「%1」は登録されていない画像形式です").arg(platform::fileNameOf(path)));
    try {
        picture->loadFromFile(path);
    } catch (const Exception& error) {
        qCDebug(lcGraphics) << "refused" << path << error.message();
        throw;
    } catch (const std::bad_alloc&) {
        throw EInvalidGraphic(
            QStringLiteral("「%1」を読み込むメモリが足りません").arg(platform::fileNameOf(path)));
    }
    return picture;
}
