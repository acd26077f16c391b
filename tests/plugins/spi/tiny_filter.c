/*
 * A small import filter for the "tiny picture" format, built several times
 * with different switches so that each build shows one behaviour:
 *
 *   TINY_API          API version text (default "00IN")
 *   TINY_NAME         plug-in name
 *   TINY_PATTERN      first file pattern (default "*.tpc")
 *   TINY_NO_INFO      leave out GetPluginInfo
 *   TINY_NO_SUPPORTED / TINY_NO_PICTURE_INFO / TINY_NO_PICTURE   leave out that export
 *   TINY_WITH_PREVIEW export GetPreview as well
 *   TINY_HALF_PAIR    give index 2 but not index 3
 *   TINY_ENDLESS      answer every index
 *   TINY_COMMENT      report this comment text (without a terminating NUL)
 *   TINY_CLAIM_ALL    accept any data in IsSupported; decode only tiny data
 *
 * Tiny picture: "TPIC", width and height (uint16, little-endian), then
 * width * height pixels of red, green, blue, top row first.
 *
 * It is written against the SDK header alone. The Tiny* exports let tests see
 * what the host passed.
 */
#include "sdk/sorteka_spi.h"

#include <stdio.h>
#include <string.h>

#ifndef TINY_API
#define TINY_API "00IN"
#endif
#ifndef TINY_NAME
#define TINY_NAME "Tiny picture filter"
#endif
#ifndef TINY_PATTERN
#define TINY_PATTERN "*.tpc"
#endif

static unsigned char last_peek[SPI_PEEK_BYTES];
static char last_name[256];
static intptr_t last_info_length = -1;
static intptr_t last_picture_length = -1;
static int supported_calls = 0;
static int info_arrived_zeroed = 0;

/* Some builds leave out the exports that use these helpers. */
#define MAYBE_UNUSED __attribute__((unused))

SPI_EXPORT const unsigned char* TinyLastPeek(void) {
    return last_peek;
}
SPI_EXPORT const char* TinyLastName(void) {
    return last_name;
}
SPI_EXPORT intptr_t TinyLastInfoLength(void) {
    return last_info_length;
}
SPI_EXPORT intptr_t TinyLastPictureLength(void) {
    return last_picture_length;
}
SPI_EXPORT int TinyInfoArrivedZeroed(void) {
    return info_arrived_zeroed;
}
SPI_EXPORT int TinySupportedCalls(void) {
    return supported_calls;
}

MAYBE_UNUSED static int32_t put_text(char* buffer, int32_t length, const char* text) {
    if (length <= 0)
        return 0;
    snprintf(buffer, (size_t)length + 1, "%s", text);
    return (int32_t)strlen(buffer);
}

#ifndef TINY_NO_INFO
SPI_EXPORT int32_t GetPluginInfo(int32_t index, char* buffer, int32_t length) {
#ifdef TINY_ENDLESS
    if (index >= 2)
        return put_text(buffer, length, (index % 2) == 0 ? "*.end" : "Endless");
#endif
    switch (index) {
    case 0:
        return put_text(buffer, length, TINY_API);
    case 1:
        return put_text(buffer, length, TINY_NAME);
    case 2:
        return put_text(buffer, length, TINY_PATTERN);
    case 3:
#ifdef TINY_HALF_PAIR
        return 0;
#else
        return put_text(buffer, length, "Tiny pictures");
#endif
    case 4:
        return put_text(buffer, length, "*.tiny;*.tny");
    case 5:
        return put_text(buffer, length, "Tiny pictures, long names");
    default:
        return 0;
    }
}
#endif

MAYBE_UNUSED static int is_tiny(const unsigned char* p, intptr_t length) {
    return length >= 8 && memcmp(p, "TPIC", 4) == 0;
}

MAYBE_UNUSED static int tiny_size(const unsigned char* p, intptr_t length, int32_t* width,
                                  int32_t* height) {
    if (!is_tiny(p, length))
        return 0;
    *width = p[4] | (p[5] << 8);
    *height = p[6] | (p[7] << 8);
    return *width > 0 && *height > 0 && (intptr_t)(8 + 3 * *width * *height) <= length;
}

#ifndef TINY_NO_SUPPORTED
SPI_EXPORT int32_t IsSupported(const char* file_name, const void* data) {
    /* Real plug-ins peek at the whole block they are promised. */
    memcpy(last_peek, data, SPI_PEEK_BYTES);
    snprintf(last_name, sizeof last_name, "%s", file_name ? file_name : "");
    ++supported_calls;
#ifdef TINY_CLAIM_ALL
    return 1;
#else
    return memcmp(last_peek, "TPIC", 4) == 0;
#endif
}
#endif

#ifndef TINY_NO_PICTURE_INFO
SPI_EXPORT int32_t GetPictureInfo(const void* data, intptr_t length, uint32_t flag,
                                  SpiPictureInfo* info) {
    int32_t width = 0;
    int32_t height = 0;
    last_info_length = length;
    {
        static const SpiPictureInfo zero;
        info_arrived_zeroed = memcmp(info, &zero, sizeof zero) == 0;
    }
    if (flag != SPI_INPUT_MEMORY)
        return SPI_NOT_IMPLEMENTED;
    if (!tiny_size((const unsigned char*)data, length, &width, &height))
        return SPI_UNKNOWN_FORMAT;
    info->left = 0;
    info->top = 0;
    info->width = width;
    info->height = height;
    info->x_density = 72;
    info->y_density = 96;
    info->color_depth = 24;
#ifdef TINY_COMMENT
    {
        const char text[] = TINY_COMMENT;
        HLOCAL comment = LocalAlloc(LMEM_FIXED, sizeof text - 1);
        if (comment) {
            memcpy(LocalLock(comment), text, sizeof text - 1);
            LocalUnlock(comment);
        }
        info->comment = comment;
    }
#endif
    return SPI_SUCCESS;
}
#endif

MAYBE_UNUSED static int32_t decode(const void* data, intptr_t length, uint32_t flag,
                                   HLOCAL* bitmap_info, HLOCAL* bits, SpiProgressCallback progress,
                                   intptr_t user) {
    const unsigned char* p = (const unsigned char*)data;
    int32_t width = 0;
    int32_t height = 0;
    last_picture_length = length;
    if (flag != SPI_INPUT_MEMORY)
        return SPI_NOT_IMPLEMENTED;
    if (!tiny_size(p, length, &width, &height))
        return SPI_UNKNOWN_FORMAT;

    const size_t row = ((size_t)width * 3 + 3) / 4 * 4;
    *bitmap_info = LocalAlloc(LMEM_ZEROINIT, sizeof(SpiBitmapInfoHeader));
    *bits = LocalAlloc(LMEM_ZEROINIT, row * (size_t)height);
    if (!*bitmap_info || !*bits)
        return SPI_NO_MEMORY;

    SpiBitmapInfoHeader* header = (SpiBitmapInfoHeader*)LocalLock(*bitmap_info);
    header->size = sizeof *header;
    header->width = width;
    header->height = height;
    header->planes = 1;
    header->bit_count = 24;
    LocalUnlock(*bitmap_info);

    unsigned char* out = (unsigned char*)LocalLock(*bits);
    for (int32_t y = 0; y < height; ++y) {
        const unsigned char* src = p + 8 + (size_t)3 * width * y;
        unsigned char* dst = out + row * (size_t)(height - 1 - y); /* bottom-up */
        for (int32_t x = 0; x < width; ++x) {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
        if (progress && progress(y + 1, height, user) != 0) {
            LocalUnlock(*bits);
            return SPI_ABORTED;
        }
    }
    LocalUnlock(*bits);
    return SPI_SUCCESS;
}

#ifndef TINY_NO_PICTURE
SPI_EXPORT int32_t GetPicture(const void* data, intptr_t length, uint32_t flag, HLOCAL* bitmap_info,
                              HLOCAL* bits, SpiProgressCallback progress, intptr_t user) {
    return decode(data, length, flag, bitmap_info, bits, progress, user);
}
#endif

#ifdef TINY_WITH_PREVIEW
SPI_EXPORT int32_t GetPreview(const void* data, intptr_t length, uint32_t flag, HLOCAL* bitmap_info,
                              HLOCAL* bits, SpiProgressCallback progress, intptr_t user) {
    return decode(data, length, flag, bitmap_info, bits, progress, user);
}
#endif
