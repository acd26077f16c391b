#include "GifWriter.h"

#include <gif_lib.h>

namespace giftest {
namespace {

int append(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

ColorMapObject* mapOf(const std::vector<std::uint8_t>& rgb) {
    if (rgb.empty())
        return nullptr;
    std::vector<GifColorType> colours;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        colours.push_back({rgb[i], rgb[i + 1], rgb[i + 2]});
    return GifMakeMapObject(int(colours.size()), colours.data());
}

} // namespace

std::vector<std::uint8_t> writeGif(const GifScreen& screen, const std::vector<GifFrame>& frames) {
    std::vector<std::uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, append, &error);
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = mapOf(screen.palette);
    EGifPutScreenDesc(gif, screen.width, screen.height, 8, screen.background, global);
    for (const GifFrame& frame : frames) {
        if (frame.transparentIndex >= 0) {
            GraphicsControlBlock control{};
            control.TransparentColor = frame.transparentIndex;
            GifByteType block[4];
            const auto length = EGifGCBToExtension(&control, block);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), block);
        }
        ColorMapObject* local = mapOf(frame.localPalette);
        EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced,
                         local);
        // Interlaced rows are written in the order the format stores them.
        std::vector<int> order;
        if (frame.interlaced) {
            for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
                for (int y = start; y < frame.height; y += step)
                    order.push_back(y);
        } else {
            for (int y = 0; y < frame.height; ++y)
                order.push_back(y);
        }
        std::vector<GifPixelType> line(std::size_t(frame.width));
        for (int y : order) {
            for (int x = 0; x < frame.width; ++x)
                line[std::size_t(x)] = frame.index(x, y);
            EGifPutLine(gif, line.data(), frame.width);
        }
        GifFreeMapObject(local);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(global);
    return out;
}

} // namespace giftest
