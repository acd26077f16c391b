// An import filter that raises a C++ exception while its name is read.
#include "sdk/sorteka_spi.h"

#include <cstdio>
#include <stdexcept>

extern "C" SPI_EXPORT int32_t GetPluginInfo(int32_t index, char* buffer, int32_t length) {
    if (index == 1)
        throw std::runtime_error("the name table is corrupt");
    if (index == 0 && length > 4)
        return std::snprintf(buffer, std::size_t(length) + 1, "00IN");
    return 0;
}

extern "C" SPI_EXPORT int32_t IsSupported(const char*, const void*) {
    return 0;
}

extern "C" SPI_EXPORT int32_t GetPictureInfo(const void*, intptr_t, uint32_t, SpiPictureInfo*) {
    return SPI_UNKNOWN_FORMAT;
}

extern "C" SPI_EXPORT int32_t GetPicture(const void*, intptr_t, uint32_t, HLOCAL*, HLOCAL*,
                                         SpiProgressCallback, intptr_t) {
    return SPI_UNKNOWN_FORMAT;
}
