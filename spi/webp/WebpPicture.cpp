#include "spi/webp/WebpPicture.h"

#include "spi/common/DibBuilder.h"
#include "spi/common/Progress.h"
#include "spi/webp/WebpSignature.h"

#include <algorithm>
#include <cstring>
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

// The bitstream is handed to the incremental decoder in this many steps, so
// the host's progress callback is heard (and can stop the decode) on the way.
constexpr std::size_t FeedSteps = 32;
constexpr std::size_t MinFeedBytes = 64 * 1024;

struct IncrementalDecoderDeleter {
    void operator()(WebPIDecoder* decoder) const { WebPIDelete(decoder); }
};

struct DemuxerDeleter {
    void operator()(WebPDemuxer* demuxer) const { WebPDemuxDelete(demuxer); }
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

std::int32_t WebpPicture::shownFrame(Frame& frame) const {
    if (!animation_) {
        frame = {bytes_, 0, 0, width_, height_};
        return SPI_SUCCESS;
    }
    const WebPData data{bytes_.data(), bytes_.size()};
    std::unique_ptr<WebPDemuxer, DemuxerDeleter> demuxer(WebPDemux(&data));
    if (!demuxer)
        return SPI_BROKEN_DATA;
    WebPIterator first;
    if (!WebPDemuxGetFrame(demuxer.get(), 1, &first))
        return SPI_BROKEN_DATA;
    // The frame's bitstream lies inside the file image, which outlives the demuxer.
    frame = {{first.fragment.bytes, first.fragment.size},
             std::uint32_t(std::max(first.x_offset, 0)),
             std::uint32_t(std::max(first.y_offset, 0)),
             std::uint32_t(std::max(first.width, 0)),
             std::uint32_t(std::max(first.height, 0))};
    WebPDemuxReleaseIterator(&first);
    const bool inside = frame.width > 0 && frame.height > 0 && frame.left < width_ &&
                        frame.top < height_ && frame.width <= width_ - frame.left &&
                        frame.height <= height_ - frame.top;
    // The frame's own header must agree with its place on the canvas.
    WebPBitstreamFeatures features;
    if (!inside ||
        WebPGetFeatures(frame.bitstream.data(), frame.bitstream.size(), &features) !=
            VP8_STATUS_OK ||
        features.width != int(frame.width) || features.height != int(frame.height))
        return SPI_BROKEN_DATA;
    return SPI_SUCCESS;
}

std::int32_t WebpPicture::decode(spi::DibBuilder& dib, SpiProgressCallback progress,
                                 intptr_t user) const {
    if (bytes_.empty())
        return SPI_INTERNAL_ERROR;
    Frame frame;
    if (const std::int32_t code = shownFrame(frame); code != SPI_SUCCESS)
        return code;
    if (const std::int32_t code = dib.start(width_, height_, hasAlpha_); code != SPI_SUCCESS)
        return code;
    spi::Progress steps(progress, user, frame.height);
    if (!steps.report(0))
        return SPI_ABORTED;

    // An animation's canvas starts out clear; the first frame is drawn on it.
    const std::size_t stride = dib.stride();
    std::uint8_t* const bottom = dib.directRow(height_ - 1);
    if (frame.width != width_ || frame.height != height_)
        std::memset(bottom, 0, stride * height_);

    // The decoder writes straight into the bitmap, flipped, since the bitmap
    // keeps its top row last in memory: the frame's bottom row comes first.
    const std::size_t pixelBytes = hasAlpha_ ? 4 : 3;
    const std::size_t offset =
        std::size_t(height_ - frame.top - frame.height) * stride + frame.left * pixelBytes;
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return SPI_INTERNAL_ERROR;
    config.output.colorspace = hasAlpha_ ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = bottom + offset;
    config.output.u.RGBA.stride = static_cast<int>(stride);
    config.output.u.RGBA.size = stride * height_ - offset;
    config.options.flip = 1;

    std::unique_ptr<WebPIDecoder, IncrementalDecoderDeleter> decoder(
        WebPIDecode(nullptr, 0, &config));
    if (!decoder)
        return SPI_NO_MEMORY;
    const std::span<const std::uint8_t> bitstream = frame.bitstream;
    const std::size_t step = std::max(bitstream.size() / FeedSteps, MinFeedBytes);
    std::size_t fed = 0;
    VP8StatusCode status = VP8_STATUS_SUSPENDED;
    while (status == VP8_STATUS_SUSPENDED && fed < bitstream.size()) {
        fed = std::min(bitstream.size(), fed + step);
        status = WebPIUpdate(decoder.get(), bitstream.data(), fed);
        int rowsDone = 0;
        if (WebPIDecGetRGB(decoder.get(), &rowsDone, nullptr, nullptr, nullptr) != nullptr &&
            !steps.report(rowsDone))
            return SPI_ABORTED;
    }
    // Still waiting for data once the whole bitstream was given: it is cut off.
    if (status != VP8_STATUS_OK)
        return spiCode(status);
    return steps.report(frame.height) ? SPI_SUCCESS : SPI_ABORTED;
}

} // namespace webpspi
