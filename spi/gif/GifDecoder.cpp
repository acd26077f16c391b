#include "spi/gif/GifDecoder.h"

#include "spi/common/DibBuilder.h"
#include "spi/common/Progress.h"

#include <algorithm>
#include <cstring>
#include <gif_lib.h>
#include <vector>

namespace spigif {
namespace {

struct Source {
    std::span<const std::uint8_t> bytes;
    std::size_t offset = 0;
};

int readBytes(GifFileType* gif, GifByteType* out, int count) {
    auto* source = static_cast<Source*>(gif->UserData);
    const std::size_t wanted = count > 0 ? std::size_t(count) : 0;
    const std::size_t available = std::min(wanted, source->bytes.size() - source->offset);
    std::memcpy(out, source->bytes.data() + source->offset, available);
    source->offset += available;
    return int(available);
}

std::int32_t codeFor(int gifError) {
    switch (gifError) {
    case D_GIF_ERR_NOT_GIF_FILE:
        return SPI_UNKNOWN_FORMAT;
    case D_GIF_ERR_NOT_ENOUGH_MEM:
        return SPI_NO_MEMORY;
    default:
        return SPI_BROKEN_DATA;
    }
}

// The open file, positioned at the first frame's pixel data, and what the
// records before it say about that frame.
class FirstFrame {
public:
    explicit FirstFrame(std::span<const std::uint8_t> file) { source_.bytes = file; }
    ~FirstFrame() {
        int error = 0;
        if (gif)
            DGifCloseFile(gif, &error);
    }
    FirstFrame(const FirstFrame&) = delete;
    FirstFrame& operator=(const FirstFrame&) = delete;

    // Reads up to the first frame's descriptor. SPI_SUCCESS or an error code.
    [[nodiscard]] std::int32_t open() {
        int error = 0;
        gif = DGifOpen(&source_, readBytes, &error);
        if (!gif)
            return codeFor(error);
        for (;;) {
            GifRecordType record = UNDEFINED_RECORD_TYPE;
            if (DGifGetRecordType(gif, &record) == GIF_ERROR)
                return codeFor(gif->Error);
            if (record == TERMINATE_RECORD_TYPE)
                return SPI_BROKEN_DATA; // no frame at all
            if (record == EXTENSION_RECORD_TYPE) {
                if (const std::int32_t code = readExtension(); code != SPI_SUCCESS)
                    return code;
                continue;
            }
            if (record != IMAGE_DESC_RECORD_TYPE)
                return SPI_BROKEN_DATA;
            if (DGifGetImageDesc(gif) == GIF_ERROR)
                return codeFor(gif->Error);
            return describeFrame();
        }
    }

    GifFileType* gif = nullptr;
    const ColorMapObject* colours = nullptr;
    int transparentIndex = NO_TRANSPARENT_COLOR;
    std::uint32_t canvasWidth = 0;
    std::uint32_t canvasHeight = 0;
    std::uint32_t left = 0;
    std::uint32_t top = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;

    // Whether the frame leaves part of the screen uncovered.
    [[nodiscard]] bool leavesGaps() const {
        return left > 0 || top > 0 || width < canvasWidth || height < canvasHeight;
    }

private:
    std::int32_t readExtension() {
        int kind = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &kind, &block) == GIF_ERROR)
            return codeFor(gif->Error);
        // Only the control block before the first frame matters: it names the
        // transparent colour.
        if (kind == GRAPHICS_EXT_FUNC_CODE && block) {
            GraphicsControlBlock control{};
            if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                transparentIndex = control.TransparentColor;
        }
        while (block) {
            if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                return codeFor(gif->Error);
        }
        return SPI_SUCCESS;
    }

    std::int32_t describeFrame() {
        const GifImageDesc& frame = gif->Image;
        if (frame.Left < 0 || frame.Top < 0 || frame.Width <= 0 || frame.Height <= 0)
            return SPI_BROKEN_DATA;
        colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
        if (!colours || colours->ColorCount <= 0 || !colours->Colors)
            return SPI_BROKEN_DATA;
        left = std::uint32_t(frame.Left);
        top = std::uint32_t(frame.Top);
        width = std::uint32_t(frame.Width);
        height = std::uint32_t(frame.Height);
        // A frame that reaches past the declared screen widens it rather than
        // being cut, as viewers do.
        canvasWidth =
            std::max<std::uint32_t>(std::uint32_t(std::max(gif->SWidth, 0)), left + width);
        canvasHeight =
            std::max<std::uint32_t>(std::uint32_t(std::max(gif->SHeight, 0)), top + height);
        return SPI_SUCCESS;
    }

    Source source_;
};

void putColour(std::uint8_t* bgra, const GifColorType& colour, std::uint8_t alpha) {
    bgra[0] = colour.Blue;
    bgra[1] = colour.Green;
    bgra[2] = colour.Red;
    bgra[3] = alpha;
}

} // namespace

bool hasGifSignature(std::span<const std::uint8_t> data) {
    return data.size() >= 6 && (std::memcmp(data.data(), "GIF87a", 6) == 0 ||
                                std::memcmp(data.data(), "GIF89a", 6) == 0);
}

std::int32_t readGifInfo(std::span<const std::uint8_t> file, SpiPictureInfo* info) {
    if (!hasGifSignature(file))
        return SPI_UNKNOWN_FORMAT;
    FirstFrame frame(file);
    if (const std::int32_t code = frame.open(); code != SPI_SUCCESS)
        return code;
    return spi::fillPictureInfo(info, frame.canvasWidth, frame.canvasHeight,
                                std::int16_t(frame.colours->BitsPerPixel), 1);
}

std::int32_t decodeGif(std::span<const std::uint8_t> file, SpiProgressCallback progress,
                       intptr_t user, spi::DibBuilder& dib) {
    if (!hasGifSignature(file))
        return SPI_UNKNOWN_FORMAT;
    FirstFrame frame(file);
    if (const std::int32_t code = frame.open(); code != SPI_SUCCESS)
        return code;
    const bool alpha = frame.transparentIndex != NO_TRANSPARENT_COLOR || frame.leavesGaps();
    if (const std::int32_t code = dib.start(frame.canvasWidth, frame.canvasHeight, alpha);
        code != SPI_SUCCESS)
        return code;

    // The palette in bitmap order once; indices past its end show black, the
    // transparent one keeps its colour for hosts that ignore alpha.
    std::uint8_t palette[256][4] = {};
    for (int i = 0; i < 256; ++i) {
        palette[i][3] = 255;
        if (i < frame.colours->ColorCount)
            putColour(palette[i], frame.colours->Colors[i], 255);
    }
    if (frame.transparentIndex >= 0 && frame.transparentIndex < 256)
        palette[frame.transparentIndex][3] = 0;

    // Uncovered screen shows the background colour, fully transparent.
    std::uint8_t background[4] = {0, 0, 0, 0};
    const ColorMapObject* screenColours = frame.gif->SColorMap;
    if (screenColours && frame.gif->SBackGroundColor >= 0 &&
        frame.gif->SBackGroundColor < screenColours->ColorCount)
        putColour(background, screenColours->Colors[frame.gif->SBackGroundColor], 0);

    std::vector<std::uint8_t> row(std::size_t(frame.canvasWidth) * 4);
    for (std::size_t x = 0; x < frame.canvasWidth; ++x)
        std::memcpy(&row[x * 4], background, 4);

    // Interlaced frames store every 8th row from 0, every 8th from 4, every
    // 4th from 2, then every 2nd from 1.
    static constexpr std::uint32_t InterlacedStart[] = {0, 4, 2, 1};
    static constexpr std::uint32_t InterlacedStep[] = {8, 8, 4, 2};
    const bool interlaced = frame.gif->Image.Interlace;
    const int passes = interlaced ? 4 : 1;

    const bool coversScreen = !frame.leavesGaps();
    const std::size_t pixelBytes = dib.hasAlpha() ? 4 : 3;
    std::vector<GifPixelType> indices(frame.width);
    spi::Progress reporter(progress, user, frame.height);
    if (!reporter.report(0))
        return SPI_ABORTED;
    std::uint32_t done = 0;
    for (int pass = 0; pass < passes; ++pass) {
        const std::uint32_t start = interlaced ? InterlacedStart[pass] : 0;
        const std::uint32_t step = interlaced ? InterlacedStep[pass] : 1;
        for (std::uint32_t y = start; y < frame.height; y += step) {
            if (DGifGetLine(frame.gif, indices.data(), int(frame.width)) == GIF_ERROR)
                return codeFor(frame.gif->Error);
            if (std::uint8_t* direct = coversScreen ? dib.directRow(y) : nullptr) {
                // The usual case: the colours go straight into the bitmap row.
                for (std::uint32_t x = 0; x < frame.width; ++x, direct += pixelBytes)
                    std::memcpy(direct, palette[indices[x]], pixelBytes);
            } else {
                std::uint8_t* out = &row[std::size_t(frame.left) * 4];
                for (std::uint32_t x = 0; x < frame.width; ++x, out += 4)
                    std::memcpy(out, palette[indices[x]], 4);
                dib.putRow(frame.top + y, row.data(), spi::PixelFormat::Bgra8);
            }
            if (!reporter.report(++done))
                return SPI_ABORTED;
        }
    }
    // Screen rows above and below the frame are filled last, so a file that
    // promises a huge screen and holds no pixel data fails before any of it
    // is touched.
    for (std::size_t x = 0; x < frame.canvasWidth; ++x)
        std::memcpy(&row[x * 4], background, 4);
    for (std::uint32_t y = 0; y < frame.canvasHeight; ++y)
        if (y < frame.top || y >= frame.top + frame.height)
            dib.putRow(y, row.data(), spi::PixelFormat::Bgra8);
    return SPI_SUCCESS;
}

} // namespace spigif
