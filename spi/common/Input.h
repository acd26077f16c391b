#pragma once

// The file image a host hands to GetPictureInfo/GetPicture. In memory mode the
// bytes are used in place; in file mode `data` names a file and `length` is the
// offset where the picture starts, and the rest of the file is read.

#include "sdk/sorteka_spi.h"

#include <cstdint>
#include <span>
#include <vector>

namespace spi {

class Input {
public:
    // SPI_SUCCESS, or the code to return: SPI_READ_ERROR for an unreadable file,
    // SPI_UNKNOWN_FORMAT for a null pointer or a negative length.
    [[nodiscard]] std::int32_t load(const void* data, intptr_t length, std::uint32_t flag);

    [[nodiscard]] std::span<const std::uint8_t> bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> owned_;
    std::span<const std::uint8_t> bytes_;
};

// True when `data` begins with `magic`.
[[nodiscard]] bool startsWith(std::span<const std::uint8_t> data,
                              std::span<const std::uint8_t> magic);

} // namespace spi
