#include "JxlWriter.h"

#include <cstring>
#include <jxl/encode.h>
#include <jxl/encode_cxx.h>

namespace jxltest {
namespace {

std::vector<std::uint8_t> framePixels(int frame, int width, int height,
                                      const FramePixelSource& pixel, const JxlOptions& options,
                                      int channels) {
    const int sampleBytes = options.sixteenBit ? 2 : 1;
    std::vector<std::uint8_t> data(std::size_t(width) * height * channels * sampleBytes);
    std::size_t at = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::vector<std::uint8_t> rgba = pixel(frame, x, y);
            for (int c = 0; c < channels; ++c) {
                // Grey pictures keep the red value and, with alpha, the alpha.
                const std::size_t source = options.grey && c == 1 ? 3 : std::size_t(c);
                const std::uint8_t value = source < rgba.size() ? rgba[source] : 255;
                if (options.sixteenBit) {
                    const std::uint16_t wide = std::uint16_t(value * 257);
                    std::memcpy(&data[at], &wide, 2);
                    at += 2;
                } else {
                    data[at++] = value;
                }
            }
        }
    return data;
}

} // namespace

std::vector<std::uint8_t> writeJxl(int width, int height, const FramePixelSource& pixel,
                                   const JxlOptions& options) {
    const JxlEncoderPtr encoder = JxlEncoderMake(nullptr);
    if (!encoder)
        return {};
    if (options.container && JxlEncoderUseContainer(encoder.get(), JXL_TRUE) != JXL_ENC_SUCCESS)
        return {};

    const int colourChannels = options.grey ? 1 : 3;
    const int channels = colourChannels + (options.alpha ? 1 : 0);
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = std::uint32_t(width);
    info.ysize = std::uint32_t(height);
    info.bits_per_sample = options.sixteenBit ? 16 : 8;
    info.num_color_channels = std::uint32_t(colourChannels);
    info.uses_original_profile = options.lossless ? JXL_TRUE : JXL_FALSE;
    info.orientation = static_cast<JxlOrientation>(options.orientation);
    if (options.alpha) {
        info.num_extra_channels = 1;
        info.alpha_bits = info.bits_per_sample;
    }
    if (options.frames > 1) {
        info.have_animation = JXL_TRUE;
        info.animation.tps_numerator = 10;
        info.animation.tps_denominator = 1;
    }
    if (JxlEncoderSetBasicInfo(encoder.get(), &info) != JXL_ENC_SUCCESS)
        return {};
    JxlColorEncoding colour;
    JxlColorEncodingSetToSRGB(&colour, options.grey ? JXL_TRUE : JXL_FALSE);
    if (JxlEncoderSetColorEncoding(encoder.get(), &colour) != JXL_ENC_SUCCESS)
        return {};

    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder.get(), nullptr);
    if (options.lossless)
        JxlEncoderSetFrameLossless(settings, JXL_TRUE);
    const JxlPixelFormat format{std::uint32_t(channels),
                                options.sixteenBit ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8,
                                JXL_NATIVE_ENDIAN, 0};
    for (int frame = 0; frame < options.frames; ++frame) {
        if (options.frames > 1) {
            JxlFrameHeader header;
            JxlEncoderInitFrameHeader(&header);
            header.duration = 1;
            JxlEncoderSetFrameHeader(settings, &header);
        }
        const auto pixels = framePixels(frame, width, height, pixel, options, channels);
        if (JxlEncoderAddImageFrame(settings, &format, pixels.data(), pixels.size()) !=
            JXL_ENC_SUCCESS)
            return {};
    }
    JxlEncoderCloseInput(encoder.get());

    std::vector<std::uint8_t> bytes(4096);
    std::size_t used = 0;
    for (;;) {
        std::uint8_t* next = bytes.data() + used;
        std::size_t room = bytes.size() - used;
        const JxlEncoderStatus status = JxlEncoderProcessOutput(encoder.get(), &next, &room);
        used = std::size_t(next - bytes.data());
        if (status == JXL_ENC_SUCCESS)
            break;
        if (status != JXL_ENC_NEED_MORE_OUTPUT)
            return {};
        bytes.resize(bytes.size() * 2);
    }
    bytes.resize(used);
    return bytes;
}

} // namespace jxltest
