// Times the JPEG XL plug-in's whole decode (IsSupported, GetPictureInfo,
// GetPicture, releasing the handles) against libjxl decoding the same file to
// RGB with its thread pool, on lossy photos of 12 and 24 megapixels made at
// run time, and prints the ratio of the best runs.

#include "PluginBench.h"

#include <jxl/decode.h>
#include <jxl/decode_cxx.h>
#include <jxl/encode.h>
#include <jxl/encode_cxx.h>
#include <jxl/thread_parallel_runner.h>
#include <jxl/thread_parallel_runner_cxx.h>

namespace {

std::vector<std::uint8_t> encode(const std::vector<std::uint8_t>& rgb, int width, int height) {
    const JxlEncoderPtr encoder = JxlEncoderMake(nullptr);
    const JxlThreadParallelRunnerPtr runner =
        JxlThreadParallelRunnerMake(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads());
    JxlEncoderSetParallelRunner(encoder.get(), JxlThreadParallelRunner, runner.get());
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = std::uint32_t(width);
    info.ysize = std::uint32_t(height);
    info.bits_per_sample = 8;
    info.uses_original_profile = JXL_FALSE;
    JxlEncoderSetBasicInfo(encoder.get(), &info);
    JxlColorEncoding colour;
    JxlColorEncodingSetToSRGB(&colour, JXL_FALSE);
    JxlEncoderSetColorEncoding(encoder.get(), &colour);
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder.get(), nullptr);
    JxlEncoderSetFrameDistance(settings, 1.0f);
    JxlEncoderFrameSettingsSetOption(settings, JXL_ENC_FRAME_SETTING_EFFORT, 3);
    const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    if (JxlEncoderAddImageFrame(settings, &format, rgb.data(), rgb.size()) != JXL_ENC_SUCCESS)
        return {};
    JxlEncoderCloseInput(encoder.get());
    std::vector<std::uint8_t> file(1 << 20);
    std::size_t used = 0;
    for (;;) {
        std::uint8_t* next = file.data() + used;
        std::size_t room = file.size() - used;
        const JxlEncoderStatus status = JxlEncoderProcessOutput(encoder.get(), &next, &room);
        used = std::size_t(next - file.data());
        if (status == JXL_ENC_SUCCESS)
            break;
        if (status != JXL_ENC_NEED_MORE_OUTPUT)
            return {};
        file.resize(file.size() * 2);
    }
    file.resize(used);
    return file;
}

bool directDecode(const std::vector<std::uint8_t>& file) {
    const JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    const JxlThreadParallelRunnerPtr runner =
        JxlThreadParallelRunnerMake(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads());
    JxlDecoderSetParallelRunner(decoder.get(), JxlThreadParallelRunner, runner.get());
    JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_FULL_IMAGE);
    JxlDecoderSetInput(decoder.get(), file.data(), file.size());
    JxlDecoderCloseInput(decoder.get());
    const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    std::vector<std::uint8_t> pixels;
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
        if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
            std::size_t size = 0;
            JxlDecoderImageOutBufferSize(decoder.get(), &format, &size);
            pixels.resize(size);
            JxlDecoderSetImageOutBuffer(decoder.get(), &format, pixels.data(), size);
        } else if (status == JXL_DEC_FULL_IMAGE) {
            return true;
        } else {
            return false;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    return spibench::runRatioTable(
        argc, argv, {SPI_PLUGIN_FILE, 5, 12, "libjxl", "photo.jxl"}, spibench::LossyPhotos,
        [](const std::vector<std::uint8_t>& rgb, const spibench::Photo& photo) {
            return encode(rgb, photo.width, photo.height);
        },
        directDecode);
}
