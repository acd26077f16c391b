#pragma once

// The four exports every shipped import filter has, written once. A plug-in's
// export file holds its information table and names its codec functions:
//
//   SORTEKA_IMPORT_FILTER_EXPORTS(InfoTable, isSignature, readInfo, decode, nullOutput)
//
//   isSignature(std::span<const std::uint8_t> head) -> bool
//   readInfo(std::span<const std::uint8_t> file, SpiPictureInfo* info) -> std::int32_t
//   decode(std::span<const std::uint8_t> file, SpiProgressCallback, intptr_t user,
//          spi::DibBuilder& dib) -> std::int32_t
//
// The exports catch every exception, read the file image the host hands in,
// and give the host the bitmap handles only when the decode succeeded.
//
// A plug-in that can hand over a smaller picture cheaply adds the optional
// export the same way:
//
//   SORTEKA_SCALED_PICTURE_EXPORT(decodeScaled, nullOutput)
//
//   decodeScaled(std::span<const std::uint8_t> file, spi::FitBox box,
//                SpiProgressCallback, intptr_t user, spi::DibBuilder& dib) -> std::int32_t

#include "sdk/sorteka_spi.h"
#include "spi/common/DibBuilder.h"
#include "spi/common/Guard.h"
#include "spi/common/Input.h"
#include "spi/common/PluginInfoTable.h"
#include "spi/common/ScaledSize.h"

#include <cstdint>
#include <span>

namespace spi {

// How GetPictureInfo and GetPicture refuse a null output pointer. The plug-ins
// ship with two answers and both are kept as they are.
enum class NullOutput {
    // Checked before the input is read, answered with SPI_INTERNAL_ERROR.
    InternalErrorBeforeLoad,
    // Checked once the input has been read, answered with SPI_MEMORY_ERROR.
    MemoryErrorAfterLoad,
};

template <class IsSignature>
[[nodiscard]] std::int32_t answerIsSupported(const void* data, IsSignature&& isSignature) {
    if (data == nullptr)
        return 0;
    // The host guarantees SPI_PEEK_BYTES readable bytes behind the pointer.
    return isSignature(std::span<const std::uint8_t>{static_cast<const std::uint8_t*>(data),
                                                     SPI_PEEK_BYTES})
               ? 1
               : 0;
}

template <NullOutput rule, class ReadInfo>
[[nodiscard]] std::int32_t answerPictureInfo(const void* data, intptr_t length, std::uint32_t flag,
                                             SpiPictureInfo* info, ReadInfo&& readInfo) noexcept {
    return guarded([&]() -> std::int32_t {
        if (rule == NullOutput::InternalErrorBeforeLoad && info == nullptr)
            return SPI_INTERNAL_ERROR;
        Input input;
        if (const std::int32_t code = input.load(data, length, flag); code != SPI_SUCCESS)
            return code;
        if (info == nullptr)
            return SPI_MEMORY_ERROR;
        return readInfo(input.bytes(), info);
    });
}

template <NullOutput rule, class Decode>
[[nodiscard]] std::int32_t
answerPicture(const void* data, intptr_t length, std::uint32_t flag, HLOCAL* bitmapInfo,
              HLOCAL* bits, SpiProgressCallback progress, intptr_t user, Decode&& decode) noexcept {
    return guarded([&]() -> std::int32_t {
        const bool noOutput = bitmapInfo == nullptr || bits == nullptr;
        if (rule == NullOutput::InternalErrorBeforeLoad && noOutput)
            return SPI_INTERNAL_ERROR;
        Input input;
        if (const std::int32_t code = input.load(data, length, flag); code != SPI_SUCCESS)
            return code;
        if (noOutput)
            return SPI_MEMORY_ERROR;
        DibBuilder dib;
        const std::int32_t code = decode(input.bytes(), progress, user, dib);
        if (code == SPI_SUCCESS)
            dib.release(bitmapInfo, bits);
        return code;
    });
}

// GetPictureScaled: as GetPicture, with the box the host will show the picture in.
template <NullOutput rule, class DecodeScaled>
[[nodiscard]] std::int32_t answerPictureScaled(const void* data, intptr_t length,
                                               std::uint32_t flag, FitBox box, HLOCAL* bitmapInfo,
                                               HLOCAL* bits, SpiProgressCallback progress,
                                               intptr_t user, DecodeScaled&& decode) noexcept {
    return answerPicture<rule>(
        data, length, flag, bitmapInfo, bits, progress, user,
        [&](std::span<const std::uint8_t> file, SpiProgressCallback onProgress, intptr_t userValue,
            DibBuilder& dib) { return decode(file, box, onProgress, userValue, dib); });
}

// GetPictureInfo's answer for codecs read through a picture object that knows
// its upright size: 32 bits per pixel with alpha, else 24.
template <class Picture>
[[nodiscard]] std::int32_t openAndDescribe(std::span<const std::uint8_t> file,
                                           SpiPictureInfo* info) {
    Picture picture;
    if (const std::int32_t code = picture.open(file); code != SPI_SUCCESS)
        return code;
    return fillPictureInfo(info, picture.width(), picture.height(), picture.hasAlpha() ? 32 : 24,
                           1);
}

// A decode for codecs read through a picture object: open() the file, then
// decode() it into the builder.
template <class Picture>
[[nodiscard]] std::int32_t openAndDecode(std::span<const std::uint8_t> file,
                                         SpiProgressCallback progress, intptr_t user,
                                         DibBuilder& dib) {
    Picture picture;
    if (const std::int32_t code = picture.open(file); code != SPI_SUCCESS)
        return code;
    return picture.decode(dib, progress, user);
}

} // namespace spi

// The exported names and signatures come from sdk/sorteka_spi.h, which declares
// them extern "C" and visible; exports.map keeps everything else local.
#define SORTEKA_IMPORT_FILTER_EXPORTS(infoTable, isSignatureFn, readInfoFn, decodeFn, nullOutput)  \
    extern "C" {                                                                                   \
    SPI_EXPORT int32_t GetPluginInfo(int32_t index, char* buffer, int32_t length) {                \
        return spi::copyPluginInfo(infoTable, index, buffer, length);                              \
    }                                                                                              \
    SPI_EXPORT int32_t IsSupported(const char*, const void* data) {                                \
        return spi::answerIsSupported(                                                             \
            data, [](std::span<const std::uint8_t> head) { return isSignatureFn(head); });         \
    }                                                                                              \
    SPI_EXPORT int32_t GetPictureInfo(const void* data, intptr_t length, uint32_t flag,            \
                                      SpiPictureInfo* info) {                                      \
        return spi::answerPictureInfo<nullOutput>(                                                 \
            data, length, flag, info,                                                              \
            [](std::span<const std::uint8_t> file, SpiPictureInfo* out) {                          \
                return readInfoFn(file, out);                                                      \
            });                                                                                    \
    }                                                                                              \
    SPI_EXPORT int32_t GetPicture(const void* data, intptr_t length, uint32_t flag,                \
                                  HLOCAL* bitmapInfo, HLOCAL* bits, SpiProgressCallback progress,  \
                                  intptr_t user) {                                                 \
        return spi::answerPicture<nullOutput>(                                                     \
            data, length, flag, bitmapInfo, bits, progress, user,                                  \
            [](std::span<const std::uint8_t> file, SpiProgressCallback onProgress,                 \
               intptr_t userValue,                                                                 \
               spi::DibBuilder& dib) { return decodeFn(file, onProgress, userValue, dib); });      \
    }                                                                                              \
    } /* extern "C" */

#define SORTEKA_SCALED_PICTURE_EXPORT(decodeScaledFn, nullOutput)                                  \
    extern "C" {                                                                                   \
    SPI_EXPORT int32_t GetPictureScaled(const void* data, intptr_t length, uint32_t flag,          \
                                        int32_t maxWidth, int32_t maxHeight, HLOCAL* bitmapInfo,   \
                                        HLOCAL* bits, SpiProgressCallback progress,                \
                                        intptr_t user) {                                           \
        return spi::answerPictureScaled<nullOutput>(                                               \
            data, length, flag, spi::FitBox{maxWidth, maxHeight}, bitmapInfo, bits, progress,      \
            user,                                                                                  \
            [](std::span<const std::uint8_t> file, spi::FitBox box,                                \
               SpiProgressCallback onProgress, intptr_t userValue, spi::DibBuilder& dib) {         \
                return decodeScaledFn(file, box, onProgress, userValue, dib);                      \
            });                                                                                    \
    }                                                                                              \
    } /* extern "C" */
