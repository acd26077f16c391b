#pragma once

// A picture drawn from a Windows metafile, WMF (with or without the placeable
// header) or EMF, told apart by content. A WMF that carries an EMF copy of its
// drawing is drawn from the copy. The drawing is rendered once, at its
// natural size on a 96-dpi screen, at most MaxRenderedSide on its long side,
// on white.

#include "graphics/Picture.h"

#include <chrono>

class MetafilePicture : public Picture {
public:
    MetafilePicture() = default;
    ~MetafilePicture() override;

    void loadFromStream(QIODevice& device) override;

    // A WMF drawing not finished within this time is refused (10 seconds by
    // default). An EMF conversion cannot be stopped part-way, nor can that of
    // the EMF copy a WMF may carry; the decoder process that runs it is ended
    // by its watchdog instead.
    void setTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }
    [[nodiscard]] std::chrono::milliseconds timeLimit() const { return timeLimit_; }

private:
    std::chrono::milliseconds timeLimit_{10'000};
};
