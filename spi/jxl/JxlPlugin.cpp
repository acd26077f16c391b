// The JPEG XL import filter over libjxl.

#include "sdk/sorteka_spi.h"
#include "spi/common/DibBuilder.h"
#include "spi/common/Guard.h"
#include "spi/common/Input.h"
#include "spi/common/PluginInfoTable.h"
#include "spi/jxl/JxlPicture.h"

#include <array>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 4> PluginInfo = {
    "00IN",
    "Sorteka JPEG XL import filter 1.0",
    "*.jxl",
    "JPEG XL picture",
};

} // namespace

int32_t GetPluginInfo(int32_t index, char* buffer, int32_t length) {
    return spi::copyPluginInfo(PluginInfo, index, buffer, length);
}

int32_t IsSupported(const char*, const void* data) {
    if (data == nullptr)
        return 0;
    return jxlspi::isJxlSignature({static_cast<const std::uint8_t*>(data), SPI_PEEK_BYTES}) ? 1 : 0;
}

int32_t GetPictureInfo(const void* data, intptr_t length, uint32_t flag, SpiPictureInfo* info) {
    return spi::guarded([&]() -> std::int32_t {
        if (info == nullptr)
            return SPI_INTERNAL_ERROR;
        spi::Input input;
        if (const std::int32_t code = input.load(data, length, flag); code != SPI_SUCCESS)
            return code;
        jxlspi::JxlHeader header;
        if (const std::int32_t code = jxlspi::readJxlHeader(input.bytes(), header);
            code != SPI_SUCCESS)
            return code;
        return spi::fillPictureInfo(info, header.width, header.height, header.hasAlpha ? 32 : 24,
                                    1);
    });
}

int32_t GetPicture(const void* data, intptr_t length, uint32_t flag, HLOCAL* bitmap_info,
                   HLOCAL* bits, SpiProgressCallback progress, intptr_t user) {
    return spi::guarded([&]() -> std::int32_t {
        if (bitmap_info == nullptr || bits == nullptr)
            return SPI_INTERNAL_ERROR;
        spi::Input input;
        if (const std::int32_t code = input.load(data, length, flag); code != SPI_SUCCESS)
            return code;
        spi::DibBuilder dib;
        if (const std::int32_t code = jxlspi::decodeJxl(input.bytes(), dib, progress, user);
            code != SPI_SUCCESS)
            return code;
        dib.release(bitmap_info, bits);
        return SPI_SUCCESS;
    });
}
