/*
 * An import filter whose bitmaps are wrong in every way a careless or hostile
 * plug-in can make them wrong. The data is "BAD!" followed by one byte that
 * picks the fault; mode 0 hands back a correct 2x2 picture with a two-entry
 * colour table. Patterns: "*.bad".
 */
#include "sdk/sorteka_spi.h"

#include <stdio.h>
#include <string.h>

enum Fault {
    Correct = 0,
    HugeHeaderSize = 1,
    HugeDimensions = 2,
    BitsOneByteShort = 3,
    ColourTableOutside = 4,
    NegativeWidth = 5,
    InfoShorterThanHeader = 6,
    SuccessWithoutHandles = 7,
    OneHandleForBoth = 8,
    OddBitCount = 9,
    ErrorWithHandles = 10,
    HugeColourCount = 11,
    StrayHandles = 12,
    HandlesFreedAlready = 13,
    ZeroHeight = 14,
    RunLengthPastBits = 15,
    RowSizeOverflow = 16,
    FaultCount = 17,
    /* Not broken in itself: the same bits handle on every call, as a careless
     * cache would hand it over. */
    CachedBits = 100
};

SPI_EXPORT int32_t MalformedFaultCount(void) {
    return FaultCount;
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
        return put_text(buffer, length, "Malformed bitmaps");
    case 2:
        return put_text(buffer, length, "*.bad");
    case 3:
        return put_text(buffer, length, "Bad bitmaps");
    default:
        return 0;
    }
}

SPI_EXPORT int32_t IsSupported(const char* file_name, const void* data) {
    (void)file_name;
    return memcmp(data, "BAD!", 4) == 0;
}

SPI_EXPORT int32_t GetPictureInfo(const void* data, intptr_t length, uint32_t flag,
                                  SpiPictureInfo* info) {
    (void)data;
    (void)length;
    (void)flag;
    info->width = 2;
    info->height = 2;
    info->color_depth = 1;
    return SPI_SUCCESS;
}

static HLOCAL header_block(size_t bytes, uint32_t size, int32_t width, int32_t height,
                           uint16_t bit_count, uint32_t compression, uint32_t size_image,
                           uint32_t colors_used) {
    HLOCAL handle = LocalAlloc(LMEM_ZEROINIT, bytes);
    unsigned char* p = (unsigned char*)LocalLock(handle);
    SpiBitmapInfoHeader header;
    memset(&header, 0, sizeof header);
    header.size = size;
    header.width = width;
    header.height = height;
    header.planes = 1;
    header.bit_count = bit_count;
    header.compression = compression;
    header.size_image = size_image;
    header.colors_used = colors_used;
    memcpy(p, &header, bytes < sizeof header ? bytes : sizeof header);
    if (bytes >= sizeof header + 8) {
        /* black, then white */
        memset(p + sizeof header + 4, 0xff, 3);
    }
    LocalUnlock(handle);
    return handle;
}

static HLOCAL bits_block(size_t bytes) {
    HLOCAL handle = LocalAlloc(LMEM_ZEROINIT, bytes);
    unsigned char* p = (unsigned char*)LocalLock(handle);
    if (bytes > 0)
        p[0] = 0x40; /* top-left pixel white in the 1-bit picture */
    LocalUnlock(handle);
    return handle;
}

SPI_EXPORT int32_t GetPicture(const void* data, intptr_t length, uint32_t flag, HLOCAL* bitmap_info,
                              HLOCAL* bits, SpiProgressCallback progress, intptr_t user) {
    static unsigned char not_a_block[64];
    const unsigned char* p = (const unsigned char*)data;
    const size_t plain = sizeof(SpiBitmapInfoHeader) + 8; /* header and two colours */
    (void)length;
    (void)flag;
    (void)progress;
    (void)user;

    switch ((enum Fault)p[4]) {
    case CachedBits: {
        static HLOCAL cached;
        if (!cached)
            cached = bits_block(8);
        *bitmap_info = header_block(plain, 40, 2, 2, 1, SPI_BI_RGB, 0, 2);
        *bits = cached;
        return SPI_SUCCESS;
    }
    case Correct:
        *bitmap_info = header_block(plain, 40, 2, 2, 1, SPI_BI_RGB, 0, 2);
        *bits = bits_block(8);
        return SPI_SUCCESS;
    case HugeHeaderSize:
        *bitmap_info = header_block(plain, 0x7fffffffu, 2, 2, 1, SPI_BI_RGB, 0, 2);
        *bits = bits_block(8);
        return SPI_SUCCESS;
    case HugeDimensions:
        *bitmap_info = header_block(plain, 40, 0x7fffffff, 0x7fffffff, 24, SPI_BI_RGB, 0, 0);
        *bits = bits_block(8);
        return SPI_SUCCESS;
    case BitsOneByteShort:
        /* 100 x 3 at 24 bits: rows of 300 bytes */
        *bitmap_info = header_block(sizeof(SpiBitmapInfoHeader), 40, 100, 3, 24, SPI_BI_RGB, 0, 0);
        *bits = bits_block(900 - 1);
        return SPI_SUCCESS;
    case ColourTableOutside:
        /* 8 bits and no colour count: 256 entries, but room for two */
        *bitmap_info = header_block(plain, 40, 2, 2, 8, SPI_BI_RGB, 0, 0);
        *bits = bits_block(8);
        return SPI_SUCCESS;
    case NegativeWidth:
        *bitmap_info = header_block(plain, 40, -2, 2, 1, SPI_BI_RGB, 0, 2);
        *bits = bits_block(8);
        return SPI_SUCCESS;
    case InfoShorterThanHeader:
        *bitmap_info = header_block(16, 40, 2, 2, 1, SPI_BI_RGB, 0, 2);
        *bits = bits_block(8);
        return SPI_SUCCESS;
    case SuccessWithoutHandles:
        return SPI_SUCCESS;
    case OneHandleForBoth:
        *bitmap_info = header_block(plain, 40, 2, 2, 1, SPI_BI_RGB, 0, 2);
        *bits = *bitmap_info;
        return SPI_SUCCESS;
    case OddBitCount:
        *bitmap_info = header_block(plain, 40, 2, 2, 7, SPI_BI_RGB, 0, 0);
        *bits = bits_block(8);
        return SPI_SUCCESS;
    case ErrorWithHandles:
        *bitmap_info = header_block(plain, 40, 2, 2, 1, SPI_BI_RGB, 0, 2);
        *bits = bits_block(8);
        return SPI_BROKEN_DATA;
    case HugeColourCount:
        *bitmap_info = header_block(plain, 40, 2, 2, 24, SPI_BI_RGB, 0, 0xffffffffu);
        *bits = bits_block(16);
        return SPI_SUCCESS;
    case StrayHandles:
        *bitmap_info = (HLOCAL)(void*)not_a_block;
        *bits = (HLOCAL)(void*)(not_a_block + 32);
        return SPI_SUCCESS;
    case HandlesFreedAlready:
        *bitmap_info = header_block(plain, 40, 2, 2, 1, SPI_BI_RGB, 0, 2);
        *bits = bits_block(8);
        LocalFree(*bitmap_info);
        LocalFree(*bits);
        return SPI_SUCCESS;
    case ZeroHeight:
        *bitmap_info = header_block(plain, 40, 2, 0, 1, SPI_BI_RGB, 0, 2);
        *bits = bits_block(8);
        return SPI_SUCCESS;
    case RunLengthPastBits:
        *bitmap_info =
            header_block(sizeof(SpiBitmapInfoHeader) + 1024, 40, 2, 2, 8, SPI_BI_RLE8, 4096, 0);
        *bits = bits_block(16);
        return SPI_SUCCESS;
    case RowSizeOverflow:
        /* width * 32 bits overflows 32-bit arithmetic */
        *bitmap_info = header_block(plain, 40, 0x08000001, 1, 32, SPI_BI_RGB, 0, 0);
        *bits = bits_block(64);
        return SPI_SUCCESS;
    default:
        return SPI_UNKNOWN_FORMAT;
    }
}
