#pragma once

// The body of every plug-in's fuzz entry: the host's full call sequence on one
// input (GetPictureScaled too where the plug-in has it), with the handles
// released again. A handle left behind aborts, so a
// leak shows like a crash.

#include "sdk/sorteka_spi.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

// Only some plug-ins offer the scaled decode; in the others the symbol stays null.
#pragma weak GetPictureScaled

inline int fuzzPluginDecode(const std::uint8_t* data, std::size_t size) {
    const std::size_t liveBefore = SpiLiveHandleCount();
    // The host always gives IsSupported at least SPI_PEEK_BYTES readable bytes.
    std::vector<std::uint8_t> peek(std::max<std::size_t>(size, SPI_PEEK_BYTES), 0);
    if (size > 0)
        std::memcpy(peek.data(), data, size);
    (void)IsSupported("", peek.data());

    // A zero-length image still needs a valid pointer.
    const void* image = size > 0 ? static_cast<const void*>(data) : peek.data();
    SpiPictureInfo info{};
    if (GetPictureInfo(image, intptr_t(size), SPI_INPUT_MEMORY, &info) == SPI_SUCCESS &&
        info.comment)
        LocalFree(info.comment);

    HLOCAL bitmapInfo = nullptr;
    HLOCAL bits = nullptr;
    (void)GetPicture(image, intptr_t(size), SPI_INPUT_MEMORY, &bitmapInfo, &bits, nullptr, 0);
    if (bitmapInfo)
        LocalFree(bitmapInfo);
    if (bits)
        LocalFree(bits);
    if (&GetPictureScaled != nullptr) {
        // A small box, different from input to input, so every reduction is tried.
        const auto side = std::int32_t(1 + size % 97);
        bitmapInfo = nullptr;
        bits = nullptr;
        (void)GetPictureScaled(image, intptr_t(size), SPI_INPUT_MEMORY, side, side, &bitmapInfo,
                               &bits, nullptr, 0);
        if (bitmapInfo)
            LocalFree(bitmapInfo);
        if (bits)
            LocalFree(bits);
    }
    if (SpiLiveHandleCount() != liveBefore)
        std::abort();
    return 0;
}
