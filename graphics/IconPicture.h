#pragma once

// A picture read from a Windows icon (ICO) file. Of the images an icon holds it
// shows the largest (then the one with the most colours); DIB and PNG entries
// are both read, transparency is kept.

#include "graphics/Picture.h"

class IconPicture : public Picture {
public:
    IconPicture() = default;
    ~IconPicture() override;

    void loadFromStream(QIODevice& device) override;
};
