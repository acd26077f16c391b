#pragma once

// A picture decoded elsewhere (in a decoder process) and handed over as its
// pixels: the window shows it like any other picture type.

#include "graphics/GraphicErrors.h"
#include "graphics/Picture.h"

class DecodedPicture final : public Picture {
public:
    explicit DecodedPicture(QImage image) { setImage(std::move(image)); }

    // It has no file of its own to read again.
    void loadFromStream(QIODevice&) override {
        throw EInvalidGraphic(QStringLiteral("デコード済みの画像は読み込めません"));
    }
};
