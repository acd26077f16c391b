// The camera RAW import filter over LibRaw: the embedded preview when there is
// a useful one, else a half-size development; for a picture shown small, any
// preview that covers the size shown.

#include "sdk/sorteka_spi.h"
#include "spi/common/ImportFilterExports.h"
#include "spi/raw/RawPicture.h"
#include "spi/raw/RawSignature.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 24> PluginInfo = {
    "00IN",
    "Sorteka camera RAW import filter 1.0",
    "*.cr2;*.cr3;*.crw",
    "CR2/CR3/CRW camera RAW",
    "*.nef;*.nrw",
    "NEF/NRW camera RAW",
    "*.arw;*.srf;*.sr2",
    "ARW/SRF/SR2 camera RAW",
    "*.dng",
    "DNG digital negative",
    "*.orf",
    "ORF camera RAW",
    "*.raf",
    "RAF camera RAW",
    "*.rw2;*.rwl",
    "RW2/RWL camera RAW",
    "*.pef",
    "PEF camera RAW",
    "*.srw",
    "SRW camera RAW",
    "*.mrw",
    "MRW camera RAW",
    "*.x3f",
    "X3F camera RAW",
};

std::int32_t readRawInfo(std::span<const std::uint8_t> file, SpiPictureInfo* info) {
    rawspi::RawPicture picture;
    if (const std::int32_t code = picture.open(file); code != SPI_SUCCESS)
        return code;
    if (const std::int32_t code = picture.measure(); code != SPI_SUCCESS)
        return code;
    // The size is already upright.
    return spi::fillPictureInfo(info, picture.width(), picture.height(), 24, 1);
}

std::int32_t decodeRawScaled(std::span<const std::uint8_t> file, spi::FitBox box,
                             SpiProgressCallback progress, intptr_t user, spi::DibBuilder& dib) {
    rawspi::RawPicture picture;
    if (const std::int32_t code = picture.open(file); code != SPI_SUCCESS)
        return code;
    return picture.decodeScaled(dib, box, progress, user);
}

} // namespace

SORTEKA_IMPORT_FILTER_EXPORTS(PluginInfo, rawspi::isCameraRaw, readRawInfo,
                              spi::openAndDecode<rawspi::RawPicture>,
                              spi::NullOutput::InternalErrorBeforeLoad)
SORTEKA_SCALED_PICTURE_EXPORT(decodeRawScaled, spi::NullOutput::InternalErrorBeforeLoad)
