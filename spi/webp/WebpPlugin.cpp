// The WebP import filter: still pictures (lossy or lossless, 32-bit when they
// have alpha) and the first frame of animations, through libwebp.

#include "sdk/sorteka_spi.h"
#include "spi/common/ImportFilterExports.h"
#include "spi/webp/WebpPicture.h"
#include "spi/webp/WebpSignature.h"

#include <array>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 4> PluginInfo = {
    "00IN",
    "Sorteka WebP import filter 1.0",
    "*.webp",
    "WebP picture",
};

} // namespace

SORTEKA_IMPORT_FILTER_EXPORTS(PluginInfo, webpspi::isWebpSignature,
                              spi::openAndDescribe<webpspi::WebpPicture>,
                              spi::openAndDecode<webpspi::WebpPicture>,
                              spi::NullOutput::InternalErrorBeforeLoad)
