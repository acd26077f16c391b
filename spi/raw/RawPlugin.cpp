// The camera RAW import filter over LibRaw: the embedded preview when there is
// a useful one, else a half-size development.

#include "sdk/sorteka_spi.h"
#include "spi/common/DibBuilder.h"
#include "spi/common/Guard.h"
#include "spi/common/Input.h"
#include "spi/common/PluginInfoTable.h"
#include "spi/raw/RawPicture.h"
#include "spi/raw/RawSignature.h"

#include <array>
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

} // namespace

int32_t GetPluginInfo(int32_t index, char* buffer, int32_t length) {
    return spi::copyPluginInfo(PluginInfo, index, buffer, length);
}

int32_t IsSupported(const char*, const void* data) {
    if (data == nullptr)
        return 0;
    return rawspi::isCameraRaw({static_cast<const std::uint8_t*>(data), SPI_PEEK_BYTES}) ? 1 : 0;
}

int32_t GetPictureInfo(const void* data, intptr_t length, uint32_t flag, SpiPictureInfo* info) {
    return spi::guarded([&]() -> std::int32_t {
        if (info == nullptr)
            return SPI_INTERNAL_ERROR;
        spi::Input input;
        if (const std::int32_t code = input.load(data, length, flag); code != SPI_SUCCESS)
            return code;
        rawspi::RawPicture picture;
        if (const std::int32_t code = picture.open(input.bytes()); code != SPI_SUCCESS)
            return code;
        if (const std::int32_t code = picture.measure(); code != SPI_SUCCESS)
            return code;
        // The size is already upright.
        return spi::fillPictureInfo(info, picture.width(), picture.height(), 24, 1);
    });
}

int32_t GetPicture(const void* data, intptr_t length, uint32_t flag, HLOCAL* bitmap_info,
                   HLOCAL* bits, SpiProgressCallback progress, intptr_t user) {
    return spi::guarded([&]() -> std::int32_t {
        if (bitmap_info == nullptr || bits == nullptr)
            return SPI_INTERNAL_ERROR;
        spi::Input input;
        if (const std::int32_t code = input.load(data, length, flag); code != SPI_SUCCESS)
            return code;
        rawspi::RawPicture picture;
        if (const std::int32_t code = picture.open(input.bytes()); code != SPI_SUCCESS)
            return code;
        spi::DibBuilder dib;
        if (const std::int32_t code = picture.decode(dib, progress, user); code != SPI_SUCCESS)
            return code;
        dib.release(bitmap_info, bits);
        return SPI_SUCCESS;
    });
}
