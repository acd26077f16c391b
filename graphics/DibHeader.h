#pragma once

// The device-independent bitmap header shared by BMP files, icon entries and
// the bitmaps inside metafiles: what it declares, and whether its pixels fit.

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>

namespace graphics {

struct DibHeader {
    std::uint32_t headerSize = 0; // 12 (core header) or 40 and up
    std::int64_t width = 0;
    std::int64_t height = 0; // absolute value; see topDown
    bool topDown = false;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0; // bytes of pixel data as declared; 0 when not given
    std::uint32_t colorsUsed = 0;

    // Bytes of the colour table that follows the header.
    [[nodiscard]] std::int64_t colorTableBytes() const;
    // True when the pixels are stored row by row without compression.
    [[nodiscard]] bool isUncompressed() const;
    // Bytes the pixels take when uncompressed (rows padded to 4 bytes).
    [[nodiscard]] std::int64_t uncompressedPixelBytes() const;
};

// Reads the header at the start of `bytes`. On failure gives std::nullopt and
// puts a short reason into `error`. Checks sizes, bit count and the pixel limit;
// does not check that the pixels are present.
[[nodiscard]] std::optional<DibHeader> parseDibHeader(QByteArrayView bytes, QString* error);

// True when `dib` (header, colour table, pixels, as found in a metafile record
// or a packed DIB) is self-consistent: a valid header whose uncompressed pixels
// fit inside `dib`. Compressed pixels only have their header checked.
[[nodiscard]] bool isPackedDibSound(QByteArrayView dib);

} // namespace graphics
