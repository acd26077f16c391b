#pragma once

// GetPluginInfo's answer from a plug-in's fixed table of texts: the API
// version, the name, then pairs of file pattern and description.

#include <cstdint>
#include <span>
#include <string_view>

namespace spi {

// Copies entry `index` of `table` into `buffer` (`length` bytes including the
// terminating NUL), cut at a character boundary if it does not fit. Returns the
// number of bytes written before the NUL, or 0 when there is no such entry or
// no room.
[[nodiscard]] std::int32_t copyPluginInfo(std::span<const std::string_view> table,
                                          std::int32_t index, char* buffer, std::int32_t length);

} // namespace spi
