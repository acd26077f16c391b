// The WebP import filter: still pictures (lossy or lossless, 32-bit when they
// have alpha) and the first frame of animations, through libwebp.

#include "sdk/sorteka_spi.h"
#include "spi/common/ImportFilterExports.h"
#include "spi/webp/WebpPicture.h"
#include "spi/webp/WebpSignature.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 4> PluginInfo = {
    "00IN",
    "Sorteka WebP import filter 1.0",
    "*.webp",
    "WebP picture",
};

std::int32_t readWebpInfo(std::span<const std::uint8_t> file, SpiPictureInfo* info) {
    webpspi::WebpPicture picture;
    if (const std::int32_t code = picture.open(file); code != SPI_SUCCESS)
        return code;
    return spi::fillPictureInfo(info, picture.width(), picture.height(),
                                picture.hasAlpha() ? 32 : 24, 1);
}

} // namespace

SORTEKA_IMPORT_FILTER_EXPORTS(PluginInfo, webpspi::isWebpSignature, readWebpInfo,
                              spi::openAndDecode<webpspi::WebpPicture>,
                              spi::NullOutput::InternalErrorBeforeLoad)
