// Times the RAW plug-in's whole decode (IsSupported, GetPictureInfo,
// GetPicture, releasing the handles) of a 24-megapixel DNG against LibRaw's
// full development of the same file: once with a full-size JPEG preview
// embedded, as many cameras store it, where the plug-in shows the preview, and
// once without, where it develops at half size.

#include "DngWriter.h"
#include "PluginBench.h"

#include <libraw/libraw.h>

namespace {

constexpr int Width = 6000;
constexpr int Height = 4000;

bool fullDevelopment(const std::vector<std::uint8_t>& file) {
    LibRaw raw(LIBRAW_OPIONS_NO_MEMERR_CALLBACK | LIBRAW_OPIONS_NO_DATAERR_CALLBACK);
    raw.imgdata.params.output_bps = 8;
    raw.imgdata.params.use_camera_wb = 1;
    if (raw.open_buffer(const_cast<std::uint8_t*>(file.data()), file.size()) != LIBRAW_SUCCESS ||
        raw.unpack() != LIBRAW_SUCCESS || raw.dcraw_process() != LIBRAW_SUCCESS)
        return false;
    libraw_processed_image_t* image = raw.dcraw_make_mem_image();
    LibRaw::dcraw_clear_mem(image);
    return image != nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = spibench::roundsFrom(argc, argv, 3);
    const spibench::LoadedPlugin plugin(SPI_PLUGIN_FILE);
    const auto photo = spibench::photoLike(Width, Height, 7);
    const auto scene = spibench::samplesOf(photo, Width);

    spibench::printRatioHeader(26, "24 MP DNG", "file MB", "LibRaw full");
    const struct {
        const char* name;
        rawtest::Preview preview;
    } files[] = {{"full-size JPEG preview", rawtest::Preview::Jpeg},
                 {"no preview (half size)", rawtest::Preview::None}};
    for (const auto& entry : files) {
        const auto file = rawtest::dngBytes(scene, scene,
                                            {.width = Width,
                                             .height = Height,
                                             .preview = entry.preview,
                                             .previewWidth = Width,
                                             .previewHeight = Height,
                                             .jpegQuality = 90});
        if (file.empty()) {
            std::fprintf(stderr, "could not write the DNG\n");
            return 1;
        }
        const auto best = spibench::bestOfAlternating(
            rounds, [&] { return plugin.decode(file, "photo.dng"); },
            [&] { return fullDevelopment(file); });
        spibench::printRatioRow(26, entry.name, file.size() >> 20, best);
    }
    return 0;
}
