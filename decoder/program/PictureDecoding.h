#pragma once

// Decodes one requested file the way the sorter's preview would load it
// (the picture-format registry, the built-in formats and every import filter
// loaded), and scales it smoothly to fit the size it will be shown at.

#include "decoder/Protocol.h"

#include <QImage>
#include <QSize>

class TSPIs;

namespace decoder {

struct DecodeOutcome {
    DecodeResult result;
    QImage pixels; // 32 bits a pixel; null when the decode failed
};

class PictureDecoding {
public:
    // Offers every import filter's formats to the plug-in picture type, which
    // decodes through `plugins` and is told the display box of the request at hand.
    explicit PictureDecoding(TSPIs& plugins);
    ~PictureDecoding();
    PictureDecoding(const PictureDecoding&) = delete;
    PictureDecoding& operator=(const PictureDecoding&) = delete;

    [[nodiscard]] DecodeOutcome decode(const DecodeRequest& request);

private:
    QSize box_;
};

// `picture` scaled down to fit `box` (aspect kept, at least 1 × 1); unchanged
// when it fits already or the box is empty.
[[nodiscard]] QSize fittedSize(QSize picture, QSize box);

} // namespace decoder
