#pragma once

// A picture read from a Windows bitmap (BMP) file. Only real BMP data is taken:
// other formats under a .bmp name, truncated files and pictures above the pixel
// limit are refused.

#include "graphics/Picture.h"

class BitmapPicture : public Picture {
public:
    BitmapPicture() = default;
    ~BitmapPicture() override;

    void loadFromStream(QIODevice& device) override;

    // The type's own BMP reader. Subclasses that read other formats in
    // loadFromStream() call this for BMP data; it never goes through the override.
    void loadBmpFromStream(QIODevice& device);
};
