#pragma once

// Reads the orientation tag from an EXIF block. Decoders of JPEG, HEIF and
// camera files hand in what their library gives them; anything malformed
// reads as upright.

#include "spi/common/Orientation.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace spi {

// `tiff` starts at the TIFF header ("II*\0" or "MM\0*") of an EXIF block.
// Returns the orientation of the first image directory, or 1.
[[nodiscard]] Orientation exifOrientationFromTiff(std::span<const std::uint8_t> tiff);

// `payload` is a JPEG APP1 segment's content, starting with "Exif\0\0".
// Returns 1 for any other APP1 segment.
[[nodiscard]] Orientation exifOrientationFromApp1(std::span<const std::uint8_t> payload);

} // namespace spi
