// The PNG import filter's exports.

#include "sdk/sorteka_spi.h"
#include "spi/common/ImportFilterExports.h"
#include "spi/png/PngDecoder.h"

#include <array>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 4> InfoTable = {
    "00IN",
    "Sorteka PNG plug-in 1.0",
    "*.png",
    "PNG picture",
};

} // namespace

SORTEKA_IMPORT_FILTER_EXPORTS(InfoTable, spipng::hasPngSignature, spipng::readPngInfo,
                              spipng::decodePng, spi::NullOutput::MemoryErrorAfterLoad)
