#include "spi/common/DibBuilder.h"

#include "spi/common/SizeMath.h"

#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace spi {
namespace {

struct Rgba {
    std::uint8_t r;
    std::uint8_t g;
    std::uint8_t b;
    std::uint8_t a;
};

std::uint8_t to8(std::uint16_t value) {
    return static_cast<std::uint8_t>((std::uint32_t(value) * 255 + 32767) / 65535);
}

std::uint16_t word(const std::uint8_t* p) {
    std::uint16_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

std::uint8_t paperTimesPaper(std::uint32_t a, std::uint32_t b) {
    return static_cast<std::uint8_t>((a * b + 127) / 255);
}

template <PixelFormat Format> Rgba readPixel(const std::uint8_t* p) {
    if constexpr (Format == PixelFormat::Rgb8)
        return {p[0], p[1], p[2], 255};
    else if constexpr (Format == PixelFormat::Rgba8)
        return {p[0], p[1], p[2], p[3]};
    else if constexpr (Format == PixelFormat::Bgr8)
        return {p[2], p[1], p[0], 255};
    else if constexpr (Format == PixelFormat::Bgra8)
        return {p[2], p[1], p[0], p[3]};
    else if constexpr (Format == PixelFormat::Grey8)
        return {p[0], p[0], p[0], 255};
    else if constexpr (Format == PixelFormat::GreyAlpha8)
        return {p[0], p[0], p[0], p[1]};
    else if constexpr (Format == PixelFormat::Rgb16)
        return {to8(word(p)), to8(word(p + 2)), to8(word(p + 4)), 255};
    else if constexpr (Format == PixelFormat::Rgba16)
        return {to8(word(p)), to8(word(p + 2)), to8(word(p + 4)), to8(word(p + 6))};
    else if constexpr (Format == PixelFormat::Grey16) {
        const std::uint8_t v = to8(word(p));
        return {v, v, v, 255};
    } else if constexpr (Format == PixelFormat::GreyAlpha16) {
        const std::uint8_t v = to8(word(p));
        return {v, v, v, to8(word(p + 2))};
    } else if constexpr (Format == PixelFormat::Cmyk8) {
        const std::uint32_t paper = 255u - p[3];
        return {paperTimesPaper(255u - p[0], paper), paperTimesPaper(255u - p[1], paper),
                paperTimesPaper(255u - p[2], paper), 255};
    } else {
        static_assert(Format == PixelFormat::InvertedCmyk8);
        return {paperTimesPaper(p[0], p[3]), paperTimesPaper(p[1], p[3]),
                paperTimesPaper(p[2], p[3]), 255};
    }
}

template <PixelFormat Format, int OutBytes>
void convertRow(const std::uint8_t* src, std::uint32_t count, std::uint8_t* dst,
                std::ptrdiff_t step) {
    const int inBytes = bytesPerPixel(Format);
    for (std::uint32_t i = 0; i < count; ++i, src += inBytes, dst += step) {
        const Rgba px = readPixel<Format>(src);
        dst[0] = px.b;
        dst[1] = px.g;
        dst[2] = px.r;
        if constexpr (OutBytes == 4)
            dst[3] = px.a;
    }
}

template <PixelFormat Format>
void convertRow(int outBytes, const std::uint8_t* src, std::uint32_t count, std::uint8_t* dst,
                std::ptrdiff_t step) {
    if (outBytes == 4)
        convertRow<Format, 4>(src, count, dst, step);
    else
        convertRow<Format, 3>(src, count, dst, step);
}

// A photo's rows fill tens of megabytes of fresh memory on every decode; in
// 4 KB pages the faults cost as much as the decoding itself, in huge pages
// almost nothing. Only a hint: the kernel may decline it.
void preferHugePages(void* memory, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    constexpr std::size_t Worthwhile = 4u << 20;
    if (bytes < Worthwhile)
        return;
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(memory);
    const std::uintptr_t begin = (start + page - 1) & ~(page - 1);
    const std::uintptr_t end = (start + bytes) & ~(page - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)memory;
    (void)bytes;
#endif
}

} // namespace

int bytesPerPixel(PixelFormat format) {
    switch (format) {
    case PixelFormat::Grey8:
        return 1;
    case PixelFormat::GreyAlpha8:
        return 2;
    case PixelFormat::Rgb8:
    case PixelFormat::Bgr8:
        return 3;
    case PixelFormat::Rgba8:
    case PixelFormat::Bgra8:
    case PixelFormat::GreyAlpha16:
    case PixelFormat::Cmyk8:
    case PixelFormat::InvertedCmyk8:
        return 4;
    case PixelFormat::Rgb16:
        return 6;
    case PixelFormat::Rgba16:
        return 8;
    case PixelFormat::Grey16:
        return 2;
    }
    return 4;
}

DibBuilder::~DibBuilder() {
    freeHandles();
}

void DibBuilder::freeHandles() {
    if (info_)
        LocalFree(info_);
    if (bits_)
        LocalFree(bits_);
    info_ = nullptr;
    bits_ = nullptr;
    pixels_ = nullptr;
}

std::int32_t DibBuilder::start(std::uint32_t width, std::uint32_t height, bool alpha,
                               Orientation orientation) {
    freeHandles();
    if (const std::int32_t verdict = checkPictureSize(width, height); verdict != SPI_SUCCESS)
        return verdict;
    orientation_ = normalOrientation(orientation);
    inWidth_ = width;
    inHeight_ = height;
    outWidth_ = swapsAxes(orientation_) ? height : width;
    outHeight_ = swapsAxes(orientation_) ? width : height;
    pixelBytes_ = alpha ? 4 : 3;
    const auto stride = dibStride(outWidth_, 8u * unsigned(pixelBytes_));
    const auto total = stride ? checkedMul(*stride, outHeight_) : std::nullopt;
    if (!total || *total > SIZE_MAX)
        return SPI_NO_MEMORY;
    stride_ = static_cast<std::size_t>(*stride);

    info_ = LocalAlloc(LMEM_ZEROINIT, sizeof(SpiBitmapInfoHeader));
    bits_ = LocalAlloc(LMEM_FIXED, static_cast<std::size_t>(*total));
    auto* header = info_ ? static_cast<SpiBitmapInfoHeader*>(LocalLock(info_)) : nullptr;
    pixels_ = bits_ ? static_cast<std::uint8_t*>(LocalLock(bits_)) : nullptr;
    if (!header || !pixels_) {
        freeHandles();
        return SPI_NO_MEMORY;
    }
    preferHugePages(pixels_, static_cast<std::size_t>(*total));
    header->size = sizeof(SpiBitmapInfoHeader);
    header->width = static_cast<std::int32_t>(outWidth_);
    header->height = static_cast<std::int32_t>(outHeight_);
    header->planes = 1;
    header->bit_count = static_cast<std::uint16_t>(8 * pixelBytes_);
    header->compression = SPI_BI_RGB;
    header->size_image = *total <= UINT32_MAX ? static_cast<std::uint32_t>(*total) : 0;
    LocalUnlock(info_);

    // Row padding is never written by a decoder; keep it defined.
    const std::size_t used = std::size_t(outWidth_) * std::size_t(pixelBytes_);
    if (used < stride_)
        for (std::uint32_t row = 0; row < outHeight_; ++row)
            std::memset(pixels_ + row * stride_ + used, 0, stride_ - used);
    return SPI_SUCCESS;
}

std::uint8_t* DibBuilder::directRow(std::uint32_t y) {
    if (!pixels_ || orientation_ != 1 || y >= inHeight_)
        return nullptr;
    return pixels_ + std::size_t(outHeight_ - 1 - y) * stride_;
}

void DibBuilder::putRow(std::uint32_t y, const void* pixels, PixelFormat format) {
    if (!pixels_ || y >= inHeight_ || pixels == nullptr)
        return;
    // The bitmap is stored bottom-up: upright row r lies at outHeight - 1 - r.
    auto offsetOf = [&](Point p) {
        return (std::int64_t(outHeight_) - 1 - p.y) * std::int64_t(stride_) + p.x * pixelBytes_;
    };
    const std::int64_t first = offsetOf(orientedPosition(orientation_, inWidth_, inHeight_, 0, y));
    const std::int64_t step =
        offsetOf(orientedPosition(orientation_, inWidth_, inHeight_, 1, y)) - first;
    std::uint8_t* dst = pixels_ + first;
    const auto* src = static_cast<const std::uint8_t*>(pixels);

    switch (format) {
    case PixelFormat::Rgb8:
        return convertRow<PixelFormat::Rgb8>(pixelBytes_, src, inWidth_, dst, step);
    case PixelFormat::Rgba8:
        return convertRow<PixelFormat::Rgba8>(pixelBytes_, src, inWidth_, dst, step);
    case PixelFormat::Bgr8:
        return convertRow<PixelFormat::Bgr8>(pixelBytes_, src, inWidth_, dst, step);
    case PixelFormat::Bgra8:
        return convertRow<PixelFormat::Bgra8>(pixelBytes_, src, inWidth_, dst, step);
    case PixelFormat::Grey8:
        return convertRow<PixelFormat::Grey8>(pixelBytes_, src, inWidth_, dst, step);
    case PixelFormat::GreyAlpha8:
        return convertRow<PixelFormat::GreyAlpha8>(pixelBytes_, src, inWidth_, dst, step);
    case PixelFormat::Rgb16:
        return convertRow<PixelFormat::Rgb16>(pixelBytes_, src, inWidth_, dst, step);
    case PixelFormat::Rgba16:
        return convertRow<PixelFormat::Rgba16>(pixelBytes_, src, inWidth_, dst, step);
    case PixelFormat::Grey16:
        return convertRow<PixelFormat::Grey16>(pixelBytes_, src, inWidth_, dst, step);
    case PixelFormat::GreyAlpha16:
        return convertRow<PixelFormat::GreyAlpha16>(pixelBytes_, src, inWidth_, dst, step);
    case PixelFormat::Cmyk8:
        return convertRow<PixelFormat::Cmyk8>(pixelBytes_, src, inWidth_, dst, step);
    case PixelFormat::InvertedCmyk8:
        return convertRow<PixelFormat::InvertedCmyk8>(pixelBytes_, src, inWidth_, dst, step);
    }
}

void DibBuilder::setDensity(std::int32_t xPelsPerMeter, std::int32_t yPelsPerMeter) {
    auto* header = info_ ? static_cast<SpiBitmapInfoHeader*>(LocalLock(info_)) : nullptr;
    if (!header)
        return;
    const bool swap = swapsAxes(orientation_);
    header->x_pels_per_meter = swap ? yPelsPerMeter : xPelsPerMeter;
    header->y_pels_per_meter = swap ? xPelsPerMeter : yPelsPerMeter;
    LocalUnlock(info_);
}

void DibBuilder::release(HLOCAL* bitmapInfo, HLOCAL* bits) {
    if (bits_)
        LocalUnlock(bits_);
    *bitmapInfo = info_;
    *bits = bits_;
    info_ = nullptr;
    bits_ = nullptr;
    pixels_ = nullptr;
}

std::int32_t checkPictureSize(std::uint64_t width, std::uint64_t height) {
    if (width == 0 || height == 0)
        return SPI_BROKEN_DATA;
    return acceptableSize(width, height) ? SPI_SUCCESS : SPI_NO_MEMORY;
}

std::int32_t fillPictureInfo(SpiPictureInfo* info, std::uint32_t width, std::uint32_t height,
                             std::int16_t depth, Orientation orientation) {
    if (const std::int32_t verdict = checkPictureSize(width, height); verdict != SPI_SUCCESS)
        return verdict;
    const bool swap = swapsAxes(orientation);
    info->left = 0;
    info->top = 0;
    info->width = static_cast<std::int32_t>(swap ? height : width);
    info->height = static_cast<std::int32_t>(swap ? width : height);
    info->color_depth = depth;
    return SPI_SUCCESS;
}

} // namespace spi
