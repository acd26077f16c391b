#include "spi/webp/WebpPicture.h"

#include "spi/common/DibBuilder.h"
#include "spi/common/Progress.h"
#include "spi/webp/WebpSignature.h"

#include <algorithm>
#include <memory>
#include <webp/decode.h>
#include <webp/demux.h>

namespace webpspi {
namespace {

std::int32_t spiCode(VP8StatusCode status) {
    switch (status) {
    case VP8_STATUS_OK:
        return SPI_SUCCESS;
    case VP8_STATUS_OUT_OF_MEMORY:
        return SPI_NO_MEMORY;
    case VP8_STATUS_UNSUPPORTED_FEATURE:
        return SPI_UNKNOWN_FORMAT;
    case VP8_STATUS_USER_ABORT:
        return SPI_ABORTED;
    case VP8_STATUS_INVALID_PARAM:
        return SPI_INTERNAL_ERROR;
    case VP8_STATUS_BITSTREAM_ERROR:
    case VP8_STATUS_SUSPENDED:
    case VP8_STATUS_NOT_ENOUGH_DATA:
        break;
    }
    return SPI_BROKEN_DATA;
}

// The file is handed to the incremental decoder in this many steps, so the
// host's progress callback is heard (and can stop the decode) along the way.
constexpr std::size_t FeedSteps = 32;
constexpr std::size_t MinFeedBytes = 64 * 1024;

struct IncrementalDecoderDeleter {
    void operator()(WebPIDecoder* decoder) const { WebPIDelete(decoder); }
};

struct AnimDecoderDeleter {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

} // namespace

std::int32_t WebpPicture::open(std::span<const std::uint8_t> bytes) {
    if (!isWebpSignature(bytes))
        return SPI_UNKNOWN_FORMAT;
    WebPBitstreamFeatures features;
    if (const VP8StatusCode status = WebPGetFeatures(bytes.data(), bytes.size(), &features);
        status != VP8_STATUS_OK)
        return status == VP8_STATUS_UNSUPPORTED_FEATURE ? SPI_UNKNOWN_FORMAT : SPI_BROKEN_DATA;
    if (features.width <= 0 || features.height <= 0)
        return SPI_BROKEN_DATA;
    bytes_ = bytes;
    width_ = static_cast<std::uint32_t>(features.width);
    height_ = static_cast<std::uint32_t>(features.height);
    hasAlpha_ = features.has_alpha != 0;
    animation_ = features.has_animation != 0;
    return SPI_SUCCESS;
}

std::int32_t WebpPicture::decode(spi::DibBuilder& dib, SpiProgressCallback progress,
                                 intptr_t user) const {
    if (bytes_.empty())
        return SPI_INTERNAL_ERROR;
    return animation_ ? decodeFirstFrame(dib, progress, user) : decodeStill(dib, progress, user);
}

std::int32_t WebpPicture::decodeStill(spi::DibBuilder& dib, SpiProgressCallback progress,
                                      intptr_t user) const {
    if (const std::int32_t code = dib.start(width_, height_, hasAlpha_); code != SPI_SUCCESS)
        return code;
    spi::Progress steps(progress, user, height_);
    if (!steps.report(0))
        return SPI_ABORTED;

    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return SPI_INTERNAL_ERROR;
    // The decoder writes straight into the bitmap: flipped, since the bitmap
    // keeps its top row last in memory.
    config.output.colorspace = hasAlpha_ ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = dib.directRow(height_ - 1);
    config.output.u.RGBA.stride = static_cast<int>(dib.stride());
    config.output.u.RGBA.size = dib.stride() * height_;
    config.options.flip = 1;

    std::unique_ptr<WebPIDecoder, IncrementalDecoderDeleter> decoder(
        WebPIDecode(nullptr, 0, &config));
    if (!decoder)
        return SPI_NO_MEMORY;

    const std::size_t step = std::max(bytes_.size() / FeedSteps, MinFeedBytes);
    std::size_t fed = 0;
    VP8StatusCode status = VP8_STATUS_SUSPENDED;
    while (status == VP8_STATUS_SUSPENDED && fed < bytes_.size()) {
        fed = std::min(bytes_.size(), fed + step);
        status = WebPIUpdate(decoder.get(), bytes_.data(), fed);
        int rowsDone = 0;
        if (WebPIDecGetRGB(decoder.get(), &rowsDone, nullptr, nullptr, nullptr) != nullptr &&
            !steps.report(rowsDone))
            return SPI_ABORTED;
    }
    // Still waiting for data once the whole file was given: the file is cut off.
    if (status != VP8_STATUS_OK)
        return spiCode(status);
    return steps.report(height_) ? SPI_SUCCESS : SPI_ABORTED;
}

std::int32_t WebpPicture::decodeFirstFrame(spi::DibBuilder& dib, SpiProgressCallback progress,
                                           intptr_t user) const {
    // Refuse an oversized canvas before the demuxer allocates one.
    if (const std::int32_t code = spi::checkPictureSize(width_, height_); code != SPI_SUCCESS)
        return code;
    spi::Progress steps(progress, user, height_);
    if (!steps.report(0))
        return SPI_ABORTED;

    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return SPI_INTERNAL_ERROR;
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData data{bytes_.data(), bytes_.size()};
    std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter> decoder(
        WebPAnimDecoderNew(&data, &options));
    if (!decoder)
        return SPI_BROKEN_DATA;
    WebPAnimInfo info;
    if (!WebPAnimDecoderGetInfo(decoder.get(), &info) || info.canvas_width != width_ ||
        info.canvas_height != height_ || info.frame_count == 0)
        return SPI_BROKEN_DATA;

    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || canvas == nullptr)
        return SPI_BROKEN_DATA;

    if (const std::int32_t code = dib.start(width_, height_, hasAlpha_); code != SPI_SUCCESS)
        return code;
    const std::size_t canvasStride = std::size_t(width_) * 4;
    for (std::uint32_t y = 0; y < height_; ++y) {
        dib.putRow(y, canvas + y * canvasStride, spi::PixelFormat::Bgra8);
        if (!steps.report(y + 1))
            return SPI_ABORTED;
    }
    return SPI_SUCCESS;
}

} // namespace webpspi
