// The TIFF import filter: the first page of a TIFF or BigTIFF file through
// libtiff, 32-bit when the page has alpha.

#include "sdk/sorteka_spi.h"
#include "spi/common/DibBuilder.h"
#include "spi/common/Guard.h"
#include "spi/common/Input.h"
#include "spi/common/PluginInfoTable.h"
#include "spi/tiff/TiffPicture.h"
#include "spi/tiff/TiffSignature.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 4> PluginInfo = {
    "00IN",
    "Sorteka TIFF import filter 1.0",
    "*.tif;*.tiff",
    "TIFF picture",
};

std::uint16_t densityField(double dpi) {
    return static_cast<std::uint16_t>(std::lround(std::clamp(dpi, 0.0, 65535.0)));
}

} // namespace

int32_t GetPluginInfo(int32_t index, char* buffer, int32_t length) {
    return spi::copyPluginInfo(PluginInfo, index, buffer, length);
}

int32_t IsSupported(const char*, const void* data) {
    if (data == nullptr)
        return 0;
    return tiffspi::isTiffSignature({static_cast<const std::uint8_t*>(data), SPI_PEEK_BYTES}) ? 1
                                                                                              : 0;
}

int32_t GetPictureInfo(const void* data, intptr_t length, uint32_t flag, SpiPictureInfo* info) {
    return spi::guarded([&]() -> std::int32_t {
        if (info == nullptr)
            return SPI_INTERNAL_ERROR;
        spi::Input input;
        if (const std::int32_t code = input.load(data, length, flag); code != SPI_SUCCESS)
            return code;
        tiffspi::TiffPicture picture;
        if (const std::int32_t code = picture.open(input.bytes()); code != SPI_SUCCESS)
            return code;
        const std::int32_t code = spi::fillPictureInfo(info, picture.width(), picture.height(),
                                                       picture.depth(), picture.orientation());
        if (code == SPI_SUCCESS) {
            const bool swap = spi::swapsAxes(picture.orientation());
            info->x_density = densityField(swap ? picture.yDpi() : picture.xDpi());
            info->y_density = densityField(swap ? picture.xDpi() : picture.yDpi());
        }
        return code;
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
        tiffspi::TiffPicture picture;
        if (const std::int32_t code = picture.open(input.bytes()); code != SPI_SUCCESS)
            return code;
        spi::DibBuilder dib;
        if (const std::int32_t code = picture.decode(dib, progress, user); code != SPI_SUCCESS)
            return code;
        dib.release(bitmap_info, bits);
        return SPI_SUCCESS;
    });
}
