// The TIFF import filter: the first page of a TIFF or BigTIFF file through
// libtiff, 32-bit when the page has alpha.

#include "sdk/sorteka_spi.h"
#include "spi/common/ImportFilterExports.h"
#include "spi/tiff/TiffPicture.h"
#include "spi/tiff/TiffSignature.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>
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

std::int32_t readTiffInfo(std::span<const std::uint8_t> file, SpiPictureInfo* info) {
    tiffspi::TiffPicture picture;
    if (const std::int32_t code = picture.open(file); code != SPI_SUCCESS)
        return code;
    const std::int32_t code = spi::fillPictureInfo(info, picture.width(), picture.height(),
                                                   picture.depth(), picture.orientation());
    if (code == SPI_SUCCESS) {
        const bool swap = spi::swapsAxes(picture.orientation());
        info->x_density = densityField(swap ? picture.yDpi() : picture.xDpi());
        info->y_density = densityField(swap ? picture.xDpi() : picture.yDpi());
    }
    return code;
}

} // namespace

SORTEKA_IMPORT_FILTER_EXPORTS(PluginInfo, tiffspi::isTiffSignature, readTiffInfo,
                              spi::openAndDecode<tiffspi::TiffPicture>,
                              spi::NullOutput::InternalErrorBeforeLoad)
