#pragma once

// A picture drawn from a Windows metafile, WMF (with or without the placeable
// header) or EMF, told apart by content. The drawing is rendered once, at its
// natural size on a 96-dpi screen, at most MaxRenderedSide on its long side,
// on white.

#include "graphics/Picture.h"

class MetafilePicture : public Picture {
public:
    MetafilePicture() = default;
    ~MetafilePicture() override;

    void loadFromStream(QIODevice& device) override;
};
