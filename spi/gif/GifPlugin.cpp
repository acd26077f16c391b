// The GIF import filter's exports.

#include "sdk/sorteka_spi.h"
#include "spi/common/ImportFilterExports.h"
#include "spi/gif/GifDecoder.h"

#include <array>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 4> InfoTable = {
    "00IN",
    "Sorteka GIF plug-in 1.0",
    "*.gif",
    "GIF picture (first frame)",
};

} // namespace

SORTEKA_IMPORT_FILTER_EXPORTS(InfoTable, spigif::hasGifSignature, spigif::readGifInfo,
                              spigif::decodeGif, spi::NullOutput::MemoryErrorAfterLoad)
