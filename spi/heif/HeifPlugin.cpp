// The HEIF import filter: HEIC (HEVC) and AVIF (AV1) still pictures through
// libheif, primary image only, 32-bit when the picture has alpha.

#include "sdk/sorteka_spi.h"
#include "spi/common/DibBuilder.h"
#include "spi/common/Guard.h"
#include "spi/common/Input.h"
#include "spi/common/PluginInfoTable.h"
#include "spi/heif/HeifFileType.h"
#include "spi/heif/HeifPicture.h"

#include <array>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 6> PluginInfo = {
    "00IN",
    "Sorteka HEIF/AVIF import filter 1.0",
    "*.heic;*.heif;*.hif",
    "HEIF/HEIC picture",
    "*.avif",
    "AVIF picture",
};

} // namespace

int32_t GetPluginInfo(int32_t index, char* buffer, int32_t length) {
    return spi::copyPluginInfo(PluginInfo, index, buffer, length);
}

int32_t IsSupported(const char*, const void* data) {
    if (data == nullptr)
        return 0;
    return heifspi::isHeifFileType({static_cast<const std::uint8_t*>(data), SPI_PEEK_BYTES}) ? 1
                                                                                             : 0;
}

int32_t GetPictureInfo(const void* data, intptr_t length, uint32_t flag, SpiPictureInfo* info) {
    return spi::guarded([&]() -> std::int32_t {
        if (info == nullptr)
            return SPI_INTERNAL_ERROR;
        spi::Input input;
        if (const std::int32_t code = input.load(data, length, flag); code != SPI_SUCCESS)
            return code;
        heifspi::HeifPicture picture;
        if (const std::int32_t code = picture.open(input.bytes()); code != SPI_SUCCESS)
            return code;
        return spi::fillPictureInfo(info, picture.width(), picture.height(),
                                    picture.hasAlpha() ? 32 : 24, 1);
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
        heifspi::HeifPicture picture;
        if (const std::int32_t code = picture.open(input.bytes()); code != SPI_SUCCESS)
            return code;
        spi::DibBuilder dib;
        if (const std::int32_t code = picture.decode(dib, progress, user); code != SPI_SUCCESS)
            return code;
        dib.release(bitmap_info, bits);
        return SPI_SUCCESS;
    });
}
