/*
 * An import filter for "*.mis" files whose content says how to behave, so one
 * plug-in serves every test of how the host survives a plug-in going wrong:
 *
 *   "MISB" then a four-letter word, then width and height (uint16,
 *   little-endian), then one grey level:
 *     GOOD  decode to a grey picture of that size
 *     CRSH  crash with a null-pointer write
 *     HANG  never return
 *     EXIT  end the process with exit(7)
 *
 * GetPictureScaled hands over the picture halved in both sides whenever the
 * halves still cover the box, as a plug-in with cheap reduction would.
 *
 * Built with MISB_LOAD_CRASH, MISB_LOAD_HANG or MISB_LOAD_EXIT it misbehaves
 * that way already while its information texts are read.
 */
#include "sdk/sorteka_spi.h"

#include <stdlib.h>
#include <string.h>

static int32_t put_text(char* buffer, int32_t length, const char* text) {
    const size_t size = strlen(text);
    if (length <= 0 || (size_t)length <= size)
        return 0;
    memcpy(buffer, text, size + 1);
    return (int32_t)size;
}

static void misbehave(const char* word) {
    if (memcmp(word, "CRSH", 4) == 0)
        *(volatile int*)0 = 1;
    if (memcmp(word, "HANG", 4) == 0)
        for (volatile int spin = 0;; spin = !spin) {
        }
    if (memcmp(word, "EXIT", 4) == 0)
        exit(7);
}

SPI_EXPORT int32_t GetPluginInfo(int32_t index, char* buffer, int32_t length) {
#if defined(MISB_LOAD_CRASH)
    misbehave("CRSH");
#elif defined(MISB_LOAD_HANG)
    misbehave("HANG");
#elif defined(MISB_LOAD_EXIT)
    misbehave("EXIT");
#endif
    switch (index) {
    case 0:
        return put_text(buffer, length, "00IN");
    case 1:
        return put_text(buffer, length, "Misbehaving filter");
    case 2:
        return put_text(buffer, length, "*.mis");
    case 3:
        return put_text(buffer, length, "Misbehaving pictures");
    default:
        return 0;
    }
}

static int header(const void* data, intptr_t length, int32_t* width, int32_t* height) {
    const unsigned char* p = (const unsigned char*)data;
    if (length < 13 || memcmp(p, "MISB", 4) != 0)
        return 0;
    *width = p[8] | (p[9] << 8);
    *height = p[10] | (p[11] << 8);
    return *width > 0 && *height > 0;
}

SPI_EXPORT int32_t IsSupported(const char* file_name, const void* data) {
    (void)file_name;
    return memcmp(data, "MISB", 4) == 0;
}

SPI_EXPORT int32_t GetPictureInfo(const void* data, intptr_t length, uint32_t flag,
                                  SpiPictureInfo* info) {
    (void)flag;
    if (!header(data, length, &info->width, &info->height))
        return SPI_UNKNOWN_FORMAT;
    info->color_depth = 8;
    return SPI_SUCCESS;
}

static int32_t picture(const void* data, intptr_t length, int32_t divisor, HLOCAL* bitmap_info,
                       HLOCAL* bits) {
    int32_t width = 0;
    int32_t height = 0;
    if (!header(data, length, &width, &height))
        return SPI_UNKNOWN_FORMAT;
    misbehave((const char*)data + 4);
    width /= divisor;
    height /= divisor;
    const size_t row = ((size_t)width + 3) / 4 * 4;
    *bitmap_info = LocalAlloc(LMEM_ZEROINIT, sizeof(SpiBitmapInfoHeader) + 256 * 4);
    *bits = LocalAlloc(LMEM_FIXED, row * (size_t)height);
    if (!*bitmap_info || !*bits)
        return SPI_NO_MEMORY;
    SpiBitmapInfoHeader* info = (SpiBitmapInfoHeader*)LocalLock(*bitmap_info);
    info->size = sizeof *info;
    info->width = width;
    info->height = height;
    info->planes = 1;
    info->bit_count = 8;
    SpiRgbQuad* colours = (SpiRgbQuad*)(info + 1);
    for (int i = 0; i < 256; ++i)
        colours[i].red = colours[i].green = colours[i].blue = (uint8_t)i;
    LocalUnlock(*bitmap_info);
    memset(LocalLock(*bits), ((const unsigned char*)data)[12], row * (size_t)height);
    LocalUnlock(*bits);
    return SPI_SUCCESS;
}

SPI_EXPORT int32_t GetPicture(const void* data, intptr_t length, uint32_t flag, HLOCAL* bitmap_info,
                              HLOCAL* bits, SpiProgressCallback progress, intptr_t user) {
    (void)flag;
    (void)progress;
    (void)user;
    return picture(data, length, 1, bitmap_info, bits);
}

SPI_EXPORT int32_t GetPictureScaled(const void* data, intptr_t length, uint32_t flag,
                                    int32_t max_width, int32_t max_height, HLOCAL* bitmap_info,
                                    HLOCAL* bits, SpiProgressCallback progress, intptr_t user) {
    int32_t width = 0;
    int32_t height = 0;
    (void)flag;
    (void)progress;
    (void)user;
    if (!header(data, length, &width, &height))
        return SPI_UNKNOWN_FORMAT;
    /* Halves cover the box when the picture is at least twice the fitted size. */
    const int64_t fit_width = (int64_t)width * max_height <= (int64_t)height * max_width
                                  ? (int64_t)width * max_height / height
                                  : max_width;
    const int32_t divisor = width / 2 >= fit_width && width / 2 > 0 && height / 2 > 0 ? 2 : 1;
    return picture(data, length, divisor, bitmap_info, bits);
}
