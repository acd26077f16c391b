// The JPEG import filter's exports.

#include "sdk/sorteka_spi.h"
#include "spi/common/ImportFilterExports.h"
#include "spi/jpeg/JpegDecoder.h"

#include <array>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 4> InfoTable = {
    "00IN",
    "Sorteka JPEG plug-in 1.0",
    "*.jpg;*.jpeg;*.jpe;*.jfif",
    "JPEG picture",
};

} // namespace

SORTEKA_IMPORT_FILTER_EXPORTS(InfoTable, spijpeg::hasJpegSignature, spijpeg::readJpegInfo,
                              spijpeg::decodeJpeg, spi::NullOutput::MemoryErrorAfterLoad)
SORTEKA_SCALED_PICTURE_EXPORT(spijpeg::decodeJpegScaled, spi::NullOutput::MemoryErrorAfterLoad)
