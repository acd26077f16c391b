/*
 * An import filter whose files already hold the bitmap: "RDIB", then the
 * 40-byte bitmap info header and the pixel rows. Decoding is two copies, so
 * timing the host around it shows what the host itself costs. It also times
 * its own GetPicture, so the benchmark can subtract exactly the plug-in's
 * share of each load.
 */
#include "sdk/sorteka_spi.h"

#include <stdio.h>
#include <string.h>
#include <time.h>

enum { MagicBytes = 4 };

static int64_t last_picture_ns = 0;

SPI_EXPORT int64_t ReadyDibLastPictureNs(void) {
    return last_picture_ns;
}

static int64_t now_ns(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (int64_t)t.tv_sec * 1000000000 + t.tv_nsec;
}

static int32_t put_text(char* buffer, int32_t length, const char* text) {
    if (length <= 0)
        return 0;
    snprintf(buffer, (size_t)length + 1, "%s", text);
    return (int32_t)strlen(buffer);
}

SPI_EXPORT int32_t GetPluginInfo(int32_t index, char* buffer, int32_t length) {
    switch (index) {
    case 0:
        return put_text(buffer, length, "00IN");
    case 1:
        return put_text(buffer, length, "Ready bitmap filter");
    case 2:
        return put_text(buffer, length, "*.rdib");
    case 3:
        return put_text(buffer, length, "Ready bitmaps");
    default:
        return 0;
    }
}

SPI_EXPORT int32_t IsSupported(const char* file_name, const void* data) {
    (void)file_name;
    return memcmp(data, "RDIB", MagicBytes) == 0;
}

static int header_of(const void* data, intptr_t length, SpiBitmapInfoHeader* header) {
    if (length < (intptr_t)(MagicBytes + sizeof *header) || memcmp(data, "RDIB", MagicBytes) != 0)
        return 0;
    memcpy(header, (const char*)data + MagicBytes, sizeof *header);
    return 1;
}

SPI_EXPORT int32_t GetPictureInfo(const void* data, intptr_t length, uint32_t flag,
                                  SpiPictureInfo* info) {
    SpiBitmapInfoHeader header;
    (void)flag;
    if (!header_of(data, length, &header))
        return SPI_UNKNOWN_FORMAT;
    info->width = header.width;
    info->height = header.height < 0 ? -header.height : header.height;
    info->color_depth = (int16_t)header.bit_count;
    return SPI_SUCCESS;
}

static int32_t decode(const void* data, intptr_t length, HLOCAL* bitmap_info, HLOCAL* bits,
                      SpiProgressCallback progress, intptr_t user) {
    SpiBitmapInfoHeader header;
    const size_t head = MagicBytes + sizeof header;
    if (!header_of(data, length, &header))
        return SPI_UNKNOWN_FORMAT;
    *bitmap_info = LocalAlloc(LMEM_FIXED, sizeof header);
    *bits = LocalAlloc(LMEM_FIXED, (size_t)length - head);
    if (!*bitmap_info || !*bits)
        return SPI_NO_MEMORY;
    memcpy(LocalLock(*bitmap_info), &header, sizeof header);
    LocalUnlock(*bitmap_info);
    memcpy(LocalLock(*bits), (const char*)data + head, (size_t)length - head);
    LocalUnlock(*bits);
    if (progress)
        progress(1, 1, user);
    return SPI_SUCCESS;
}

SPI_EXPORT int32_t GetPicture(const void* data, intptr_t length, uint32_t flag, HLOCAL* bitmap_info,
                              HLOCAL* bits, SpiProgressCallback progress, intptr_t user) {
    const int64_t start = now_ns();
    const int32_t result = decode(data, length, bitmap_info, bits, progress, user);
    (void)flag;
    last_picture_ns = now_ns() - start;
    return result;
}
