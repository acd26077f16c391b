/*
 * Sorteka picture plug-in interface.
 *
 * A picture plug-in is an ELF shared object whose file name ends in ".spi". It
 * exports the functions below with C linkage; the host loads it with local
 * binding, so a plug-in must not rely on symbols of other plug-ins.
 *
 * Exports:
 *   GetPluginInfo   always
 *   IsSupported     import filters
 *   GetPictureInfo  import filters
 *   GetPicture      import filters
 *   GetPreview      optional; the host never calls it
 *   GetPictureScaled optional; the host asks it for a picture it will show small
 *
 * Memory the plug-in hands to the host (the bitmap info, the pixel rows, the
 * comment text) travels in local memory handles made with LocalAlloc() from
 * this header. The host reads them with LocalLock()/LocalSize() and releases
 * them with LocalFree(). Both sides use the one implementation in the
 * "sorteka-spi" shared library, so link your plug-in against it:
 *   #include <sorteka_spi.h>
 *   cc -shared -fPIC my.c $(pkg-config --cflags --libs sorteka-spi) -o my.spi
 *
 * Handles handed over belong to the host. It keeps the pixel rows' block as
 * the storage of the picture it shows, and may rewrite it in place (turning
 * bottom-up rows over, for one). So never hand the same handle over twice (no
 * caching of results), and never read, write or free a handle after handing
 * it over. A handle given again while the host still holds it is refused; a
 * handle freed already is unknown to every function here, for good.
 *
 * Limits the host enforces on what a plug-in hands over (beyond them the
 * picture is refused, never cut):
 *   - at most 256 * 1024 * 1024 pixels (width times height);
 *   - a bitmap info header of 40 to 124 bytes (biSize) lying wholly inside the
 *     info handle, its colour table after it and inside the handle too;
 *   - bit counts 1, 2, 4, 8, 16, 24 and 32; at most 65536 colours in a table,
 *     and never more entries read than the handle holds;
 *   - pixel rows padded to 4 bytes, all of them inside the bits handle;
 *   - at most 4096 format pairs read from GetPluginInfo;
 *   - GetPluginInfo gets a 256-byte buffer, zero-filled, with `length` 255:
 *     the text's bytes, not counting the terminating zero, which always fits
 *     behind them.
 *
 * Everything here has a fixed width; the layout is the same for every build.
 */
#ifndef SORTEKA_SPI_H
#define SORTEKA_SPI_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define SPI_EXPORT __attribute__((visibility("default")))
#else
#define SPI_EXPORT
#endif

/* ---- Return codes of IsSupported's siblings ------------------------------ */

enum {
    SPI_NOT_IMPLEMENTED = -1, /* the function is not offered */
    SPI_SUCCESS = 0,
    SPI_ABORTED = 1,        /* the progress callback asked to stop */
    SPI_UNKNOWN_FORMAT = 2, /* not a format this plug-in reads */
    SPI_BROKEN_DATA = 3,    /* the data is damaged */
    SPI_NO_MEMORY = 4,      /* memory could not be allocated */
    SPI_MEMORY_ERROR = 5,   /* a memory handle could not be locked, etc. */
    SPI_READ_ERROR = 6,     /* the data could not be read */
    SPI_INTERNAL_ERROR = 8
};

/* Where the data given to GetPictureInfo/GetPicture lies. The host always
 * passes SPI_INPUT_MEMORY: a pointer to the whole file image. */
enum { SPI_INPUT_FILE = 0, SPI_INPUT_MEMORY = 1 };

/* How many bytes are always readable behind IsSupported's data pointer. A file
 * shorter than this arrives filled up with zero bytes. */
enum { SPI_PEEK_BYTES = 2048 };

/* ---- Local memory handles ----------------------------------------------- */

/* An opaque handle to a block of memory. Never dereference it: lock it. */
typedef struct SpiLocalBlock* HLOCAL;

enum {
    LMEM_FIXED = 0x0000,   /* accepted for familiarity; every block is movable */
    LMEM_ZEROINIT = 0x0040 /* fill the new block with zero bytes */
};

/* A new block of `bytes` bytes (0 is allowed), or NULL when out of memory. */
HLOCAL LocalAlloc(uint32_t flags, size_t bytes);
/* The block's memory, valid until the handle is freed; NULL for a handle that
 * LocalAlloc did not give or that was freed already. Locks nest. */
void* LocalLock(HLOCAL handle);
/* Ends one LocalLock. Returns non-zero while the block stays locked, 0 when it
 * is now unlocked or the handle is unknown. */
int32_t LocalUnlock(HLOCAL handle);
/* The block's size in bytes as allocated; 0 for an unknown handle. */
size_t LocalSize(HLOCAL handle);
/* Releases the block (locked or not). Returns NULL on success and the handle
 * itself when it is unknown (freeing twice is harmless). */
HLOCAL LocalFree(HLOCAL handle);

/* How many blocks are currently allocated; meant for tests and leak checks. */
size_t SpiLiveHandleCount(void);

/* ---- Records ------------------------------------------------------------ */

#pragma pack(push, 1)

/* What GetPictureInfo reports; 32 bytes. The host zeroes it before the call. */
typedef struct SpiPictureInfo {
    int32_t left; /* position of the picture, usually 0 */
    int32_t top;
    int32_t width;       /* in pixels */
    int32_t height;      /* in pixels */
    uint16_t x_density;  /* horizontal pixel density */
    uint16_t y_density;  /* vertical pixel density */
    int16_t color_depth; /* bits per pixel */
    uint8_t reserved[2]; /* leave zero */
    HLOCAL comment;      /* text (UTF-8) ending at its first NUL or the block's end, or NULL;
                            the host frees it */
} SpiPictureInfo;

/* The header at the start of the bitmap-info handle GetPicture returns; 40
 * bytes, little-endian. The colour table follows at offset `size`. */
typedef struct SpiBitmapInfoHeader {
    uint32_t size;        /* of this header: 40 (larger headers are accepted) */
    int32_t width;        /* in pixels, above 0 */
    int32_t height;       /* above 0: rows bottom-up; below 0: top-down */
    uint16_t planes;      /* 1 */
    uint16_t bit_count;   /* 1, 4, 8, 16, 24 or 32 */
    uint32_t compression; /* 0: plain rows (see below) */
    uint32_t size_image;  /* bytes of the pixel rows; may be 0 for plain rows */
    int32_t x_pels_per_meter;
    int32_t y_pels_per_meter;
    uint32_t colors_used; /* colour-table entries; 0: all 2^bit_count for 1, 4, 8 bits */
    uint32_t colors_important;
} SpiBitmapInfoHeader;

/* One entry of the colour table. */
typedef struct SpiRgbQuad {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    uint8_t reserved;
} SpiRgbQuad;

#pragma pack(pop)

/* Plain rows (compression 0): each row holds width * bit_count bits, padded to
 * a multiple of 4 bytes; pixels of 24 and 32 bits are stored blue, green, red
 * (, unused); 16-bit pixels are 5-5-5 with blue in the low bits; 1-, 4- and
 * 8-bit pixels index the colour table, the leftmost pixel in the high bits.
 * The bits handle must hold at least |height| rows.
 *
 * Other compressions (1 RLE8, 2 RLE4, 3 bit fields) are read as a BMP file
 * would be; size_image must then give the bytes of the pixel data. */
#define SPI_BI_RGB 0u
#define SPI_BI_RLE8 1u
#define SPI_BI_RLE4 2u
#define SPI_BI_BITFIELDS 3u

/* ---- Exports ------------------------------------------------------------ */

/* Called now and then while decoding; current of total steps done. Return 0 to
 * go on, anything else to stop (GetPicture then returns SPI_ABORTED). */
typedef int32_t (*SpiProgressCallback)(int32_t current, int32_t total, intptr_t user);

/* index 0: the API version text: "00IN" import filter, "00AM" archive,
 *          "00XN" export filter (exact, case-sensitive);
 * index 1: the plug-in's name;
 * index 2n+2, 2n+3: a file pattern ("*.jpg;*.jpeg") and its description.
 * Writes a NUL-terminated text of at most `length` bytes into `buffer` (the
 * terminating zero not counted: there is room for it behind them) and
 * returns its length (above 0), or 0 when there is no such entry. */
typedef int32_t (*SpiGetPluginInfoFunc)(int32_t index, char* buffer, int32_t length);

/* Non-zero when the plug-in can decode the file. `file_name` may be empty;
 * at least SPI_PEEK_BYTES bytes are readable behind `data`. */
typedef int32_t (*SpiIsSupportedFunc)(const char* file_name, const void* data);

/* Fills `info` for the file image `data` of `length` bytes (`flag` is
 * SPI_INPUT_MEMORY). Returns SPI_SUCCESS or an error code. */
typedef int32_t (*SpiGetPictureInfoFunc)(const void* data, intptr_t length, uint32_t flag,
                                         SpiPictureInfo* info);

/* Decodes the file image and sets *bitmap_info (an SpiBitmapInfoHeader and its
 * colour table) and *bits (the pixel rows) to new handles. Returns SPI_SUCCESS
 * or an error code. Handles set before an error are freed by the host too. */
typedef int32_t (*SpiGetPictureFunc)(const void* data, intptr_t length, uint32_t flag,
                                     HLOCAL* bitmap_info, HLOCAL* bits,
                                     SpiProgressCallback progress, intptr_t user);

/* Like GetPicture, for a small preview. */
typedef SpiGetPictureFunc SpiGetPreviewFunc;

/* Optional. Like GetPicture, but the host will show the picture no larger than
 * max_width x max_height pixels: the plug-in may hand over a picture reduced by
 * its own cheap means (DCT scaling, an embedded preview), as small as it can while
 * both sides stay at least as large as the picture scaled to fit that box (aspect
 * kept), and never larger than the full picture. The host scales the rest smoothly.
 * Plug-ins without it are asked through GetPicture. */
typedef int32_t (*SpiGetPictureScaledFunc)(const void* data, intptr_t length, uint32_t flag,
                                           int32_t max_width, int32_t max_height,
                                           HLOCAL* bitmap_info, HLOCAL* bits,
                                           SpiProgressCallback progress, intptr_t user);

/* Declarations a plug-in can implement directly. */
SPI_EXPORT int32_t GetPluginInfo(int32_t index, char* buffer, int32_t length);
SPI_EXPORT int32_t IsSupported(const char* file_name, const void* data);
SPI_EXPORT int32_t GetPictureInfo(const void* data, intptr_t length, uint32_t flag,
                                  SpiPictureInfo* info);
SPI_EXPORT int32_t GetPicture(const void* data, intptr_t length, uint32_t flag, HLOCAL* bitmap_info,
                              HLOCAL* bits, SpiProgressCallback progress, intptr_t user);
SPI_EXPORT int32_t GetPreview(const void* data, intptr_t length, uint32_t flag, HLOCAL* bitmap_info,
                              HLOCAL* bits, SpiProgressCallback progress, intptr_t user);
SPI_EXPORT int32_t GetPictureScaled(const void* data, intptr_t length, uint32_t flag,
                                    int32_t max_width, int32_t max_height, HLOCAL* bitmap_info,
                                    HLOCAL* bits, SpiProgressCallback progress, intptr_t user);

#ifdef __cplusplus
} /* extern "C" */
#endif

#if defined(__cplusplus)
static_assert(sizeof(SpiPictureInfo) == 32, "picture-info record is 32 bytes");
static_assert(offsetof(SpiPictureInfo, x_density) == 16, "layout");
static_assert(offsetof(SpiPictureInfo, color_depth) == 20, "layout");
static_assert(offsetof(SpiPictureInfo, comment) == 24, "layout");
static_assert(sizeof(SpiBitmapInfoHeader) == 40, "bitmap info header is 40 bytes");
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
_Static_assert(sizeof(SpiPictureInfo) == 32, "picture-info record is 32 bytes");
_Static_assert(offsetof(SpiPictureInfo, x_density) == 16, "layout");
_Static_assert(offsetof(SpiPictureInfo, color_depth) == 20, "layout");
_Static_assert(offsetof(SpiPictureInfo, comment) == 24, "layout");
_Static_assert(sizeof(SpiBitmapInfoHeader) == 40, "bitmap info header is 40 bytes");
#endif

#endif /* SORTEKA_SPI_H */
