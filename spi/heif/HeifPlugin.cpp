// The HEIF import filter: HEIC (HEVC) and AVIF (AV1) still pictures through
// libheif, primary image only, 32-bit when the picture has alpha.

#include "sdk/sorteka_spi.h"
#include "spi/common/ImportFilterExports.h"
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

// The size of the picture GetPicture hands over: the declared one, or for a
// file coded in layers the decoded one.
std::int32_t readHeifInfo(std::span<const std::uint8_t> file, SpiPictureInfo* info) {
    heifspi::HeifPicture picture;
    if (const std::int32_t code = picture.open(file); code != SPI_SUCCESS)
        return code;
    if (picture.layered())
        if (const std::int32_t code = picture.measure(); code != SPI_SUCCESS)
            return code;
    return spi::fillPictureInfo(info, picture.width(), picture.height(),
                                picture.hasAlpha() ? 32 : 24, 1);
}

} // namespace

SORTEKA_IMPORT_FILTER_EXPORTS(PluginInfo, heifspi::isHeifFileType, readHeifInfo,
                              spi::openAndDecode<heifspi::HeifPicture>,
                              spi::NullOutput::InternalErrorBeforeLoad)
