#pragma once

// A picture read from an icon (ICO) file, Windows' or OS/2's. Of the images an
// icon holds it shows the largest (then the one with the most colours); DIB
// entries go through the bitmap reader with their AND mask, PNG entries through
// Qt's PNG reader; transparency is kept.

#include "graphics/Picture.h"

class IconPicture : public Picture {
public:
    IconPicture() = default;
    ~IconPicture() override;

    void loadFromStream(QIODevice& device) override;
};
