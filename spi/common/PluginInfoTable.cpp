#include "spi/common/PluginInfoTable.h"

#include <algorithm>
#include <cstring>

namespace spi {

std::int32_t copyPluginInfo(std::span<const std::string_view> table, std::int32_t index,
                            char* buffer, std::int32_t length) {
    if (buffer == nullptr || length <= 1 || index < 0 ||
        static_cast<std::size_t>(index) >= table.size())
        return 0;
    const std::string_view text = table[static_cast<std::size_t>(index)];
    std::size_t bytes = std::min(text.size(), static_cast<std::size_t>(length) - 1);
    // Never leave half of a UTF-8 sequence behind.
    if (bytes < text.size())
        while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xc0) == 0x80)
            --bytes;
    std::memcpy(buffer, text.data(), bytes);
    buffer[bytes] = '\0';
    return static_cast<std::int32_t>(bytes);
}

} // namespace spi
