// The GIF import filter's exports.

#include "sdk/sorteka_spi.h"
#include "spi/common/DibBuilder.h"
#include "spi/common/Guard.h"
#include "spi/common/Input.h"
#include "spi/common/PluginInfoTable.h"
#include "spi/gif/GifDecoder.h"

#include <array>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 4> InfoTable = {
    "00IN",
    "Sorteka GIF plug-in 1.0",
    "*.gif",
    "GIF picture (first frame)",
};

} // namespace

extern "C" {

SPI_EXPORT int32_t GetPluginInfo(int32_t index, char* buffer, int32_t length) {
    return spi::copyPluginInfo(InfoTable, index, buffer, length);
}

SPI_EXPORT int32_t IsSupported(const char*, const void* data) {
    if (data == nullptr)
        return 0;
    return spigif::hasGifSignature({static_cast<const std::uint8_t*>(data), SPI_PEEK_BYTES}) ? 1
                                                                                             : 0;
}

SPI_EXPORT int32_t GetPictureInfo(const void* data, intptr_t length, uint32_t flag,
                                  SpiPictureInfo* info) {
    return spi::guarded([&]() -> std::int32_t {
        spi::Input input;
        if (const std::int32_t code = input.load(data, length, flag); code != SPI_SUCCESS)
            return code;
        if (info == nullptr)
            return SPI_MEMORY_ERROR;
        return spigif::readGifInfo(input.bytes(), info);
    });
}

SPI_EXPORT int32_t GetPicture(const void* data, intptr_t length, uint32_t flag, HLOCAL* bitmapInfo,
                              HLOCAL* bits, SpiProgressCallback progress, intptr_t user) {
    return spi::guarded([&]() -> std::int32_t {
        spi::Input input;
        if (const std::int32_t code = input.load(data, length, flag); code != SPI_SUCCESS)
            return code;
        if (bitmapInfo == nullptr || bits == nullptr)
            return SPI_MEMORY_ERROR;
        spi::DibBuilder dib;
        const std::int32_t code = spigif::decodeGif(input.bytes(), progress, user, dib);
        if (code == SPI_SUCCESS)
            dib.release(bitmapInfo, bits);
        return code;
    });
}

} // extern "C"
