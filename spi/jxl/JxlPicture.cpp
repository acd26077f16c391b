#include "spi/jxl/JxlPicture.h"

#include "spi/common/DibBuilder.h"
#include "spi/common/Progress.h"
#include "spi/common/SizeMath.h"

#include <algorithm>
#include <jxl/decode.h>
#include <jxl/decode_cxx.h>
#include <jxl/thread_parallel_runner.h>
#include <jxl/thread_parallel_runner_cxx.h>
#include <vector>

namespace jxlspi {
namespace {

// Large enough that slicing costs nothing measurable, small enough that a
// stop request is honoured soon.
constexpr std::size_t MinSlice = 64 * 1024;
constexpr std::size_t SlicesPerFile = 16;

JxlHeader headerFrom(const JxlBasicInfo& info) {
    // The sizes are stored before orientation; 5 to 8 exchange the axes.
    const bool swap = info.orientation >= JXL_ORIENT_TRANSPOSE;
    return {swap ? info.ysize : info.xsize, swap ? info.xsize : info.ysize, info.alpha_bits > 0};
}

// Feeds `bytes` to the decoder in slices and returns the next event other
// than a request for more input; JXL_DEC_ERROR for input that ends too soon,
// JXL_DEC_NEED_MORE_INPUT when `progress` asked to stop.
class SlicedInput {
public:
    SlicedInput(JxlDecoder* decoder, std::span<const std::uint8_t> bytes, spi::Progress* progress)
        : decoder_(decoder), bytes_(bytes), progress_(progress),
          slice_(std::max(MinSlice, bytes.size() / SlicesPerFile)) {}

    JxlDecoderStatus next() {
        if (fed_ == 0 && !feed())
            return JXL_DEC_ERROR;
        for (;;) {
            const JxlDecoderStatus status = JxlDecoderProcessInput(decoder_);
            if (status != JXL_DEC_NEED_MORE_INPUT)
                return status;
            if (fed_ == bytes_.size())
                return JXL_DEC_ERROR; // cut short
            if (!feed())
                return JXL_DEC_ERROR;
            if (progress_ && !progress_->report(std::int64_t(fed_)))
                return JXL_DEC_NEED_MORE_INPUT;
        }
    }

private:
    // Hands the decoder what it has not consumed yet plus the next slice.
    bool feed() {
        const std::size_t unread = fed_ == 0 ? 0 : JxlDecoderReleaseInput(decoder_);
        const std::size_t from = fed_ - std::min(unread, fed_);
        fed_ = std::min(bytes_.size(), fed_ + slice_);
        if (JxlDecoderSetInput(decoder_, bytes_.data() + from, fed_ - from) != JXL_DEC_SUCCESS)
            return false;
        if (fed_ == bytes_.size())
            JxlDecoderCloseInput(decoder_);
        return true;
    }

    JxlDecoder* decoder_;
    std::span<const std::uint8_t> bytes_;
    spi::Progress* progress_;
    std::size_t slice_;
    std::size_t fed_ = 0;
};

std::int32_t failure(JxlDecoderStatus status) {
    return status == JXL_DEC_NEED_MORE_INPUT ? SPI_ABORTED : SPI_BROKEN_DATA;
}

} // namespace

bool isJxlSignature(std::span<const std::uint8_t> head) {
    const JxlSignature signature = JxlSignatureCheck(head.data(), head.size());
    return signature == JXL_SIG_CODESTREAM || signature == JXL_SIG_CONTAINER;
}

std::int32_t readJxlHeader(std::span<const std::uint8_t> bytes, JxlHeader& header) {
    if (!isJxlSignature(bytes))
        return SPI_UNKNOWN_FORMAT;
    const JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    if (!decoder)
        return SPI_NO_MEMORY;
    if (JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO) != JXL_DEC_SUCCESS)
        return SPI_INTERNAL_ERROR;
    SlicedInput input(decoder.get(), bytes, nullptr);
    const JxlDecoderStatus status = input.next();
    if (status != JXL_DEC_BASIC_INFO)
        return failure(status);
    JxlBasicInfo info;
    if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS)
        return SPI_BROKEN_DATA;
    header = headerFrom(info);
    return spi::checkPictureSize(header.width, header.height);
}

std::int32_t decodeJxl(std::span<const std::uint8_t> bytes, spi::DibBuilder& dib,
                       SpiProgressCallback callback, intptr_t user) {
    if (!isJxlSignature(bytes))
        return SPI_UNKNOWN_FORMAT;
    // Reading the input is the first half of the way, placing the rows the second.
    const std::int64_t inputSteps = std::int64_t(std::max<std::size_t>(bytes.size(), 1));
    spi::Progress progress(callback, user, 2 * inputSteps);
    if (!progress.report(0))
        return SPI_ABORTED;

    const JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    const JxlThreadParallelRunnerPtr runner =
        JxlThreadParallelRunnerMake(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads());
    if (!decoder || !runner)
        return SPI_NO_MEMORY;
    if (JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE) !=
            JXL_DEC_SUCCESS ||
        JxlDecoderSetParallelRunner(decoder.get(), JxlThreadParallelRunner, runner.get()) !=
            JXL_DEC_SUCCESS ||
        // The bitmap holds straight alpha; the library divides premultiplied
        // colours back before rounding them to 8 bits.
        JxlDecoderSetUnpremultiplyAlpha(decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS)
        return SPI_INTERNAL_ERROR;

    SlicedInput input(decoder.get(), bytes, &progress);
    JxlHeader header;
    JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    std::vector<std::uint8_t> pixels;
    for (;;) {
        const JxlDecoderStatus status = input.next();
        if (status == JXL_DEC_BASIC_INFO) {
            JxlBasicInfo info;
            if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS)
                return SPI_BROKEN_DATA;
            header = headerFrom(info);
            format.num_channels = header.hasAlpha ? 4 : 3;
            if (const std::int32_t code = dib.start(header.width, header.height, header.hasAlpha);
                code != SPI_SUCCESS)
                return code;
        } else if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
            std::size_t size = 0;
            const auto expected =
                spi::checkedMul(std::uint64_t(header.width) * header.height, format.num_channels);
            if (JxlDecoderImageOutBufferSize(decoder.get(), &format, &size) != JXL_DEC_SUCCESS ||
                !expected || size != *expected)
                return SPI_BROKEN_DATA;
            pixels.resize(size);
            if (JxlDecoderSetImageOutBuffer(decoder.get(), &format, pixels.data(), size) !=
                JXL_DEC_SUCCESS)
                return SPI_INTERNAL_ERROR;
        } else if (status == JXL_DEC_FULL_IMAGE) {
            break; // the first frame is all this filter shows
        } else {
            // Anything else before the first frame (the end included) means
            // the stream is damaged or was cut short.
            return failure(status);
        }
    }
    if (pixels.empty())
        return SPI_BROKEN_DATA;

    const auto rowFormat = header.hasAlpha ? spi::PixelFormat::Rgba8 : spi::PixelFormat::Rgb8;
    const std::size_t rowBytes = std::size_t(header.width) * format.num_channels;
    for (std::uint32_t y = 0; y < header.height; ++y) {
        dib.putRow(y, pixels.data() + y * rowBytes, rowFormat);
        if (!progress.report(inputSteps + inputSteps * (y + 1) / header.height))
            return SPI_ABORTED;
    }
    return SPI_SUCCESS;
}

} // namespace jxlspi
