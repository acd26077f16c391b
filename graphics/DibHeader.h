#pragma once

// The device-independent bitmap header shared by BMP files, icon entries, the
// bitmaps plug-ins hand over and those inside metafiles: what it declares, and
// whether its pixels fit. Every header version is read: the 12-byte core
// header of OS/2 1.x, OS/2 2.x headers of 16 to 64 bytes, and the Windows
// headers of 40, 52, 56, 108 and 124 bytes.

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>

namespace graphics {

namespace dib {
inline constexpr std::uint32_t Rgb = 0;
inline constexpr std::uint32_t Rle8 = 1;
inline constexpr std::uint32_t Rle4 = 2;
inline constexpr std::uint32_t Bitfields = 3;
inline constexpr std::uint32_t Jpeg = 4;
inline constexpr std::uint32_t Png = 5;
inline constexpr std::uint32_t AlphaBitfields = 6;
} // namespace dib

struct DibHeader {
    std::uint32_t headerSize = 0; // 12 (core header), 16 to 64 (OS/2 2.x), 40 and up
    std::int64_t width = 0;
    std::int64_t height = 0; // absolute value; see topDown
    bool topDown = false;
    std::uint16_t bitCount = 0; // 0 only for embedded JPEG or PNG streams
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0; // bytes of pixel data as declared; 0 when not given
    std::uint32_t colorsUsed = 0;
    // Channel masks of 16- and 32-bit pixels, when the header (or the masks
    // after a 40-byte header) gives them; zero otherwise.
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
    std::uint32_t alphaMask = 0;

    // True for the OS/2 headers, whose compression numbers 3 and 4 mean other things.
    [[nodiscard]] bool isOs2() const;
    // Bytes of bit-field masks stored between a 40-byte header and the colour table.
    [[nodiscard]] std::int64_t maskBytes() const;
    // Bytes of one colour table entry: 3 in the OS/2 1.x format, 4 otherwise.
    [[nodiscard]] std::int64_t colorEntryBytes() const { return headerSize == 12 ? 3 : 4; }
    // Colour table entries the header declares (2^bitCount when it says 0).
    [[nodiscard]] std::int64_t colorEntries() const;
    // Bytes of the masks after a 40-byte header and the colour table.
    [[nodiscard]] std::int64_t colorTableBytes() const;
    // True when the pixels are stored row by row without compression.
    [[nodiscard]] bool isUncompressed() const;
    // True when the pixels are a JPEG or PNG stream.
    [[nodiscard]] bool isEmbeddedStream() const;
    // Bytes of one uncompressed row (padded to 4 bytes).
    [[nodiscard]] std::int64_t rowBytes() const;
    // Bytes the pixels take when uncompressed.
    [[nodiscard]] std::int64_t uncompressedPixelBytes() const;
};

// Reads the header at the start of `bytes` (with the masks after a 40-byte
// header, when present). On failure gives std::nullopt and puts a short reason
// into `error`. Checks sizes, bit count, compression and the pixel limit; does
// not check that the pixels are present.
[[nodiscard]] std::optional<DibHeader> parseDibHeader(QByteArrayView bytes, QString* error);

// True when `dib` (header, colour table, pixels, as found in a metafile record
// or a packed DIB) is self-consistent: a valid header whose uncompressed pixels
// fit inside `dib`. Compressed pixels only have their header checked.
[[nodiscard]] bool isPackedDibSound(QByteArrayView dib);

} // namespace graphics
