// The GIF plug-in, loaded as the host loads it, on files written here by
// giflib: palettes, transparency, interlacing, frames placed on the screen,
// damaged files and the abort path.

#include "GifWriter.h"
#include "common/PluginTest.h"

#include <gtest/gtest.h>

namespace {

using giftest::GifFrame;
using giftest::GifScreen;
using giftest::writeGif;
using spitest::bytesOf;
using spitest::DecodedPicture;
using spitest::Rgba;

// Black, red, green, blue.
const std::vector<std::uint8_t> FourColours = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};

// Index (x + 2y) mod 4 over the whole frame.
std::uint8_t diagonal(int x, int y) {
    return std::uint8_t((x + 2 * y) % 4);
}

Rgba colourOf(int index) {
    return {FourColours[std::size_t(index) * 3], FourColours[std::size_t(index) * 3 + 1],
            FourColours[std::size_t(index) * 3 + 2], 255};
}

std::vector<std::uint8_t> simpleGif(int width, int height, bool interlaced = false) {
    return writeGif(
        {.width = width, .height = height, .palette = FourColours},
        {{.width = width, .height = height, .interlaced = interlaced, .index = diagonal}});
}

class GifPlugin : public spitest::PluginTest {};

TEST_F(GifPlugin, DescribesItselfAndDecidesByContent) {
    const auto texts = plugin.infoTexts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "00IN");
    EXPECT_EQ(texts[2], "*.gif");

    auto gif = simpleGif(2, 2);
    EXPECT_TRUE(plugin.isSupported(bytesOf(gif), "a.png"));
    gif[4] = '7'; // GIF87a
    EXPECT_TRUE(plugin.isSupported(bytesOf(gif), ""));
    gif[4] = '8';
    EXPECT_FALSE(plugin.isSupported(bytesOf(gif), "a.gif"));
    EXPECT_EQ(plugin.decode(bytesOf(gif)).code, SPI_UNKNOWN_FORMAT);
}

TEST_F(GifPlugin, GlobalPalettePicture) {
    const auto gif = simpleGif(7, 5);
    SpiPictureInfo info{};
    ASSERT_EQ(plugin.pictureInfo(bytesOf(gif), info), SPI_SUCCESS);
    EXPECT_EQ(info.width, 7);
    EXPECT_EQ(info.height, 5);
    EXPECT_EQ(info.color_depth, 2);
    const DecodedPicture picture = decodeOk(gif);
    EXPECT_EQ(picture.bitCount, 24);
    for (const auto& [x, y] : {std::pair{0, 0}, {1, 0}, {6, 4}, {3, 2}})
        EXPECT_EQ(picture.pixel(x, y), colourOf(diagonal(x, y)));
}

TEST_F(GifPlugin, LocalPaletteWinsOverTheGlobalOne) {
    const auto gif = writeGif({.width = 2, .height = 1, .palette = FourColours},
                              {{.width = 2,
                                .height = 1,
                                .localPalette = {10, 20, 30, 40, 50, 60},
                                .index = [](int x, int) { return std::uint8_t(x); }}});
    const DecodedPicture picture = decodeOk(gif);
    EXPECT_EQ(picture.pixel(0, 0), (Rgba{10, 20, 30, 255}));
    EXPECT_EQ(picture.pixel(1, 0), (Rgba{40, 50, 60, 255}));
}

TEST_F(GifPlugin, TransparentIndexGivesAlpha) {
    const auto gif =
        writeGif({.width = 4, .height = 2, .palette = FourColours},
                 {{.width = 4, .height = 2, .transparentIndex = 2, .index = diagonal}});
    const DecodedPicture picture = decodeOk(gif);
    EXPECT_EQ(picture.bitCount, 32);
    EXPECT_EQ(picture.pixel(2, 0).a, 0);
    EXPECT_EQ(picture.pixel(0, 1).a, 0);
    EXPECT_EQ(picture.pixel(1, 0), colourOf(1));
    EXPECT_EQ(picture.pixel(3, 1), colourOf(1));
}

TEST_F(GifPlugin, InterlacedFrameMatchesThePlainOne) {
    for (int height : {1, 2, 3, 5, 9, 17}) {
        const auto plain = decodeOk(simpleGif(5, height));
        const auto interlaced = decodeOk(simpleGif(5, height, true));
        EXPECT_EQ(interlaced.rows, plain.rows) << height;
    }
}

TEST_F(GifPlugin, FramePlacedOnTheScreen) {
    // A 2 × 2 frame at (1, 1) of a 4 × 3 screen whose background is blue.
    const auto inside =
        writeGif({.width = 4, .height = 3, .background = 3, .palette = FourColours},
                 {{.left = 1, .top = 1, .width = 2, .height = 2, .index = [](int, int) {
                       return std::uint8_t(1);
                   }}});
    const DecodedPicture picture = decodeOk(inside);
    EXPECT_EQ(picture.width, 4);
    EXPECT_EQ(picture.height, 3);
    EXPECT_EQ(picture.bitCount, 32);
    EXPECT_EQ(picture.pixel(1, 1), colourOf(1));
    EXPECT_EQ(picture.pixel(2, 2), colourOf(1));
    EXPECT_EQ(picture.pixel(0, 0), (Rgba{0, 0, 255, 0}));
    EXPECT_EQ(picture.pixel(3, 2), (Rgba{0, 0, 255, 0}));

    // A frame reaching past a too small screen is shown whole.
    const auto outside =
        writeGif({.width = 2, .height = 2, .palette = FourColours},
                 {{.left = 1, .top = 0, .width = 3, .height = 3, .index = diagonal}});
    SpiPictureInfo info{};
    ASSERT_EQ(plugin.pictureInfo(bytesOf(outside), info), SPI_SUCCESS);
    EXPECT_EQ(info.width, 4);
    EXPECT_EQ(info.height, 3);
    const DecodedPicture widened = decodeOk(outside);
    EXPECT_EQ(widened.pixel(3, 2), colourOf(diagonal(2, 2)));
}

TEST_F(GifPlugin, OnlyTheFirstFrameIsShown) {
    const auto gif =
        writeGif({.width = 2, .height = 2, .palette = FourColours},
                 {{.width = 2, .height = 2, .index = [](int, int) { return std::uint8_t(2); }},
                  {.width = 2, .height = 2, .index = [](int, int) { return std::uint8_t(3); }}});
    const DecodedPicture picture = decodeOk(gif);
    EXPECT_EQ(picture.pixel(0, 0), colourOf(2));
    EXPECT_EQ(picture.pixel(1, 1), colourOf(2));
}

TEST_F(GifPlugin, OnePixelPicture) {
    const DecodedPicture picture = decodeOk(simpleGif(1, 1));
    EXPECT_EQ(picture.width, 1);
    EXPECT_EQ(picture.height, 1);
    EXPECT_EQ(picture.pixel(0, 0), colourOf(0));
}

TEST_F(GifPlugin, TruncatedAndFramelessFilesAreBrokenData) {
    const auto gif = simpleGif(30, 30);
    expectCutsFail(gif, spitest::cutLengths(6, gif.size() - 1, 3), SPI_BROKEN_DATA);
    const auto frameless = writeGif({.width = 3, .height = 3, .palette = FourColours}, {});
    SpiPictureInfo info{};
    EXPECT_EQ(plugin.pictureInfo(bytesOf(frameless), info), SPI_BROKEN_DATA);
    EXPECT_EQ(plugin.decode(bytesOf(frameless)).code, SPI_BROKEN_DATA);

    const auto paletteless = writeGif({.width = 3, .height = 3}, {{.width = 3, .height = 3}});
    EXPECT_EQ(plugin.decode(bytesOf(paletteless)).code, SPI_BROKEN_DATA);
}

TEST_F(GifPlugin, ProgressReachesTheEndAndAStopAborts) {
    const auto gif = simpleGif(8, 400, true);
    expectProgressToTheEnd(gif, 3);
    expectStopsAbort(gif, {1, 2});
}

} // namespace
