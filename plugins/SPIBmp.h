#pragma once

// A bitmap picture that also reads every format a loaded import filter
// decodes. The plug-in collection registers each import filter's extensions
// with this type, so loading a picture by file name builds one and asks it to
// load the file; BMP files are still read by the bitmap type's own reader.
//
// A plug-in's bitmap is taken only after it has been checked against the
// sizes of the handles it came in; a bitmap that does not fit makes that
// plug-in's attempt fail, and the next one is tried. A plain bitmap's pixel
// handle becomes the picture's memory (no copy); it is freed with the last
// copy of the picture's image.

#include "graphics/BitmapPicture.h"
#include "plugins/InSPIAble.h"

#include <memory>

class TSPIBitmap : public BitmapPicture {
public:
    // Decodes through the import filters of `plugins`; none given: those of
    // the process's one collection at the time of each load.
    explicit TSPIBitmap(TSPIs* plugins = nullptr);
    ~TSPIBitmap() override;
    TSPIBitmap(const TSPIBitmap&) = delete;
    TSPIBitmap& operator=(const TSPIBitmap&) = delete;

    // Also copies RetryPastHeader when `source` is a TSPIBitmap.
    void assign(const Picture& source) override;
    void loadFromFile(const QString& path) override;
    void loadFromStream(QIODevice& device) override;
    // Loads a stream whose file name is known, so the plug-ins naming its
    // extension are asked first and each is told the name.
    virtual void LoadFromNamedStream(QIODevice& device, const QString& fileName);

    // When a plug-in fails on the data, try it again past the first 128 bytes.
    bool RetryPastHeader = true;
    // Not empty: the picture will be shown no larger than this, and a plug-in
    // may hand over a smaller picture than the file holds (see FullSize()).
    QSize DisplayBox;
    // The picture's size as its plug-in described it; the image's size when
    // no plug-in did.
    [[nodiscard]] QSize FullSize() const {
        return fullSize_.isValid() ? fullSize_ : image().size();
    }

private:
    void receiveDIB(plugins::PluginHandle& info, plugins::PluginHandle& bits, bool& loaded);

    void prepareAdapter();

    std::unique_ptr<TInSPIAble> adapter_;
    QSize fullSize_;
};
