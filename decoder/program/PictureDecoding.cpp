#include "decoder/program/PictureDecoding.h"

#include "graphics/PictureFormats.h"
#include "graphics/StretchCache.h"
#include "platform/Exception.h"
#include "platform/NativePath.h"
#include "plugins/SPIBmp.h"
#include "plugins/SPIs.h"

#include <algorithm>

namespace decoder {

QSize fittedSize(QSize picture, QSize box) {
    if (box.isEmpty() || (picture.width() <= box.width() && picture.height() <= box.height()))
        return picture;
    const QSize scaled = picture.scaled(box, Qt::KeepAspectRatio);
    return {std::max(1, scaled.width()), std::max(1, scaled.height())};
}

PictureDecoding::PictureDecoding(TSPIs& plugins) {
    TSPIs::SetDefaultGraphicClass([this, &plugins] {
        auto picture = std::make_unique<TSPIBitmap>(&plugins);
        picture->DisplayBox = box_;
        return picture;
    });
}

PictureDecoding::~PictureDecoding() {
    TSPIs::SetDefaultGraphicClass({});
}

DecodeOutcome PictureDecoding::decode(const DecodeRequest& request) {
    DecodeOutcome decoded;
    DecodeResult& result = decoded.result;
    result.id = request.id;
    const FileIdentity before = identityOf(request.path);
    box_ = QSize(std::max(0, request.maxWidth), std::max(0, request.maxHeight));
    try {
        const auto picture =
            PictureFormats::instance().loadFromFile(platform::decodePath(request.path));
        const QImage& image = picture->image();
        if (image.isNull())
            throw Exception(QStringLiteral("画像が空です"));
        const auto* pluginPicture = dynamic_cast<const TSPIBitmap*>(picture.get());
        const QSize full = pluginPicture ? pluginPicture->FullSize() : image.size();
        QImage pixels = image.convertToFormat(stretchFormatFor(image));
        const QSize fitted = fittedSize(pixels.size(), box_);
        if (fitted != pixels.size())
            pixels = pixels.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (pixels.isNull())
            throw std::bad_alloc();
        result.ok = true;
        result.width = full.width();
        result.height = full.height();
        result.pixelWidth = pixels.width();
        result.pixelHeight = pixels.height();
        result.bytesPerLine = qint32(pixels.bytesPerLine());
        result.imageFormat = quint32(pixels.format());
        decoded.pixels = std::move(pixels);
    } catch (const Exception& error) {
        result.error = error.message();
    } catch (const std::bad_alloc&) {
        result.error = QStringLiteral("メモリが足りません");
    } catch (const std::exception& error) {
        result.error = QString::fromLocal8Bit(error.what());
    }
    box_ = QSize();
    // A file written while it was read gives a picture of no one version.
    result.identity = identityOf(request.path) == before ? before : FileIdentity{};
    return decoded;
}

} // namespace decoder
