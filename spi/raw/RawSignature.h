#pragma once

// Decides from a file's first bytes whether it is a camera RAW file: the fixed
// signatures of the formats that have one (CR2, CR3, CRW, ORF, RAF, RW2, MRW,
// X3F) and, for the TIFF-based rest (DNG, NEF, ARW, PEF, SRW, ...), a first
// image directory that carries a DNG version or a camera maker's name (or
// that lies beyond the bytes looked at, so only LibRaw can tell).

#include <cstdint>
#include <span>

namespace rawspi {

// `head` is the start of the file (the host gives at least 2048 bytes).
[[nodiscard]] bool isCameraRaw(std::span<const std::uint8_t> head);

} // namespace rawspi
