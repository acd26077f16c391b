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

} // namespace

SORTEKA_IMPORT_FILTER_EXPORTS(PluginInfo, heifspi::isHeifFileType,
                              spi::openAndDescribe<heifspi::HeifPicture>,
                              spi::openAndDecode<heifspi::HeifPicture>,
                              spi::NullOutput::InternalErrorBeforeLoad)
