#pragma once

// Decides from a file's first bytes whether it is a HEIF still picture that
// libheif decodes: an ISO base media file whose leading "ftyp" box names a
// HEVC (HEIC) or AV1 (AVIF) image brand, as major or compatible brand.

#include <cstdint>
#include <span>

namespace heifspi {

// `head` is the start of the file (the host gives at least 2048 bytes).
[[nodiscard]] bool isHeifFileType(std::span<const std::uint8_t> head);

} // namespace heifspi
