// The JPEG XL import filter over libjxl.

#include "sdk/sorteka_spi.h"
#include "spi/common/ImportFilterExports.h"
#include "spi/jxl/JxlPicture.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 4> PluginInfo = {
    "00IN",
    "Sorteka JPEG XL import filter 1.0",
    "*.jxl",
    "JPEG XL picture",
};

std::int32_t readJxlInfo(std::span<const std::uint8_t> file, SpiPictureInfo* info) {
    jxlspi::JxlHeader header;
    if (const std::int32_t code = jxlspi::readJxlHeader(file, header); code != SPI_SUCCESS)
        return code;
    return spi::fillPictureInfo(info, header.width, header.height, header.hasAlpha ? 32 : 24, 1);
}

// decodeJxl takes the builder before the progress callback.
std::int32_t decodeJxlFile(std::span<const std::uint8_t> file, SpiProgressCallback progress,
                           intptr_t user, spi::DibBuilder& dib) {
    return jxlspi::decodeJxl(file, dib, progress, user);
}

} // namespace

SORTEKA_IMPORT_FILTER_EXPORTS(PluginInfo, jxlspi::isJxlSignature, readJxlInfo, decodeJxlFile,
                              spi::NullOutput::InternalErrorBeforeLoad)
