// The PNG plug-in, loaded as the host loads it, on files written here by
// libpng: every colour type and depth, transparency, interlacing, damaged
// files and the abort path.

#include "PngWriter.h"
#include "common/PluginTest.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

namespace {

using pngtest::PngOptions;
using pngtest::writePng;
using spitest::bytesOf;
using spitest::DecodedPicture;
using spitest::Rgba;

// 8-bit RGB: red rising to the right, green rising downwards, blue fixed.
std::vector<std::uint16_t> ramp(int x, int y) {
    return {std::uint16_t(x * 8), std::uint16_t(y * 8), 77};
}

class PngPlugin : public spitest::PluginTest {};

TEST_F(PngPlugin, DescribesItselfAndDecidesByContent) {
    const auto texts = plugin.infoTexts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "00IN");
    EXPECT_NE(texts[1].find("1.0"), std::string::npos);
    EXPECT_EQ(texts[2], "*.png");

    const auto png = writePng(4, 4, ramp);
    EXPECT_TRUE(plugin.isSupported(bytesOf(png), "picture.jpg"));
    std::vector<std::uint8_t> damagedSignature = png;
    damagedSignature[4] = '\n'; // what a text-mode transfer does
    EXPECT_FALSE(plugin.isSupported(bytesOf(damagedSignature), "picture.png"));
    EXPECT_FALSE(plugin.isSupported({}, "picture.png"));
    EXPECT_EQ(plugin.decode(bytesOf(damagedSignature)).code, SPI_UNKNOWN_FORMAT);
}

TEST_F(PngPlugin, RgbPictureSizeAndPixels) {
    const auto png = writePng(30, 20, ramp);
    const DecodedPicture picture = decodeWithInfo(png, 30, 20, 24);
    for (const auto& [x, y] : {std::pair{0, 0}, {29, 0}, {0, 19}, {13, 7}})
        EXPECT_EQ(picture.pixel(x, y), (Rgba{x * 8, y * 8, 77, 255}));
}

TEST_F(PngPlugin, AlphaAndSixteenBitPictures) {
    const auto rgba =
        writePng(3, 2,
                 [](int x, int y) {
                     return std::vector<std::uint16_t>{200, 100, 50, std::uint16_t(x * 100 + y)};
                 },
                 {.colourType = PNG_COLOR_TYPE_RGBA});
    SpiPictureInfo info{};
    ASSERT_EQ(plugin.pictureInfo(bytesOf(rgba), info), SPI_SUCCESS);
    EXPECT_EQ(info.color_depth, 32);
    const DecodedPicture withAlpha = decodeOk(rgba);
    EXPECT_EQ(withAlpha.bitCount, 32);
    EXPECT_EQ(withAlpha.pixel(2, 1), (Rgba{200, 100, 50, 201}));
    EXPECT_EQ(withAlpha.pixel(0, 0), (Rgba{200, 100, 50, 0}));

    const auto deep =
        writePng(2, 1,
                 [](int x, int) {
                     return x == 0 ? std::vector<std::uint16_t>{0xffff, 0x8080, 0x0000, 0xffff}
                                   : std::vector<std::uint16_t>{0x0101, 0x0000, 0xfefe, 0x4040};
                 },
                 {.colourType = PNG_COLOR_TYPE_RGBA, .bitDepth = 16});
    ASSERT_EQ(plugin.pictureInfo(bytesOf(deep), info), SPI_SUCCESS);
    EXPECT_EQ(info.color_depth, 64);
    const DecodedPicture deepPicture = decodeOk(deep);
    EXPECT_EQ(deepPicture.pixel(0, 0), (Rgba{255, 128, 0, 255}));
    EXPECT_EQ(deepPicture.pixel(1, 0), (Rgba{1, 0, 254, 64}));

    const auto deepRgb = writePng(1, 1,
                                  [](int, int) {
                                      return std::vector<std::uint16_t>{0x1000, 0xf000, 0x7fff};
                                  },
                                  {.colourType = PNG_COLOR_TYPE_RGB, .bitDepth = 16});
    const DecodedPicture deepOpaque = decodeOk(deepRgb);
    EXPECT_EQ(deepOpaque.bitCount, 24);
    EXPECT_EQ(deepOpaque.pixel(0, 0), (Rgba{16, 239, 127, 255}));
}

TEST_F(PngPlugin, PalettePicturesWithAndWithoutTransparency) {
    const std::vector<std::uint8_t> palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 8, 7};
    auto index = [](int x, int) { return std::vector<std::uint16_t>{std::uint16_t(x % 4)}; };
    const auto opaque = writePng(
        8, 3, index, {.colourType = PNG_COLOR_TYPE_PALETTE, .bitDepth = 4, .palette = palette});
    SpiPictureInfo info{};
    ASSERT_EQ(plugin.pictureInfo(bytesOf(opaque), info), SPI_SUCCESS);
    EXPECT_EQ(info.color_depth, 4);
    const DecodedPicture plain = decodeOk(opaque);
    EXPECT_EQ(plain.bitCount, 24);
    EXPECT_EQ(plain.pixel(1, 0), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(plain.pixel(7, 2), (Rgba{9, 8, 7, 255}));

    const auto transparent = writePng(8, 3, index,
                                      {.colourType = PNG_COLOR_TYPE_PALETTE,
                                       .bitDepth = 2,
                                       .palette = palette,
                                       .paletteAlpha = {0, 128}});
    const DecodedPicture clear = decodeOk(transparent);
    EXPECT_EQ(clear.bitCount, 32);
    EXPECT_EQ(clear.pixel(0, 1), (Rgba{255, 0, 0, 0}));
    EXPECT_EQ(clear.pixel(1, 1), (Rgba{0, 255, 0, 128}));
    EXPECT_EQ(clear.pixel(2, 1), (Rgba{0, 0, 255, 255})); // beyond the tRNS entries
}

TEST_F(PngPlugin, GreyPicturesOfEveryDepth) {
    for (int depth : {1, 2, 4, 8, 16}) {
        const int top = (1 << depth) - 1;
        const auto png = writePng(
            5, 2,
            [&](int x, int) { return std::vector<std::uint16_t>{std::uint16_t(x == 0 ? 0 : top)}; },
            {.colourType = PNG_COLOR_TYPE_GRAY, .bitDepth = depth});
        const DecodedPicture picture = decodeOk(png);
        EXPECT_EQ(picture.bitCount, 24) << depth;
        EXPECT_EQ(picture.pixel(0, 1), (Rgba{0, 0, 0, 255})) << depth;
        EXPECT_EQ(picture.pixel(4, 1), (Rgba{255, 255, 255, 255})) << depth;
    }
    const auto greyAlpha =
        writePng(2, 1,
                 [](int x, int) {
                     return std::vector<std::uint16_t>{90, std::uint16_t(x ? 255 : 10)};
                 },
                 {.colourType = PNG_COLOR_TYPE_GRAY_ALPHA});
    const DecodedPicture withAlpha = decodeOk(greyAlpha);
    EXPECT_EQ(withAlpha.pixel(0, 0), (Rgba{90, 90, 90, 10}));

    // A transparent grey value turns into alpha.
    const auto keyed = writePng(
        2, 1, [](int x, int) { return std::vector<std::uint16_t>{std::uint16_t(x ? 60 : 30)}; },
        {.colourType = PNG_COLOR_TYPE_GRAY, .transparent = {30}});
    const DecodedPicture keyedPicture = decodeOk(keyed);
    EXPECT_EQ(keyedPicture.bitCount, 32);
    EXPECT_EQ(keyedPicture.pixel(0, 0).a, 0);
    EXPECT_EQ(keyedPicture.pixel(1, 0), (Rgba{60, 60, 60, 255}));
}

TEST_F(PngPlugin, InterlacedPictureMatchesThePlainOne) {
    const auto plain = decodeOk(writePng(37, 23, ramp));
    const auto interlaced = decodeOk(writePng(37, 23, ramp, {.interlaced = true}));
    EXPECT_EQ(interlaced.rows, plain.rows);
    const auto alphaPlain =
        decodeOk(writePng(9, 9,
                          [](int x, int y) {
                              return std::vector<std::uint16_t>{std::uint16_t(x), std::uint16_t(y),
                                                                3, std::uint16_t(x * y)};
                          },
                          {.colourType = PNG_COLOR_TYPE_RGBA}));
    const auto alphaInterlaced =
        decodeOk(writePng(9, 9,
                          [](int x, int y) {
                              return std::vector<std::uint16_t>{std::uint16_t(x), std::uint16_t(y),
                                                                3, std::uint16_t(x * y)};
                          },
                          {.colourType = PNG_COLOR_TYPE_RGBA, .interlaced = true}));
    EXPECT_EQ(alphaInterlaced.rows, alphaPlain.rows);
}

TEST_F(PngPlugin, OnePixelPicture) {
    const DecodedPicture picture = decodeOk(writePng(1, 1, ramp));
    EXPECT_EQ(picture.width, 1);
    EXPECT_EQ(picture.height, 1);
    EXPECT_EQ(picture.pixel(0, 0), (Rgba{0, 0, 77, 255}));
}

TEST_F(PngPlugin, TruncatedAndCorruptFilesAreBrokenData) {
    const auto png = writePng(40, 40, ramp);
    // Cut anywhere from inside the header chunk to before the last image byte.
    const std::size_t imageEnd = png.size() - 12; // IEND chunk
    expectCutsFail(png, spitest::cutLengths(9, imageEnd - 4, 7), SPI_BROKEN_DATA);
    auto badCrc = png;
    badCrc[29] ^= 0xff; // the header chunk's checksum
    SpiPictureInfo info{};
    EXPECT_EQ(plugin.pictureInfo(bytesOf(badCrc), info), SPI_BROKEN_DATA);
    EXPECT_EQ(plugin.decode(bytesOf(badCrc)).code, SPI_BROKEN_DATA);
}

TEST_F(PngPlugin, HostileSizesAreRefusedBeforeDecoding) {
    auto png = writePng(4, 4, ramp);
    // A 100000 × 100000 header with a valid checksum.
    const std::uint8_t side[4] = {0x00, 0x01, 0x86, 0xa0};
    std::copy(side, side + 4, png.begin() + 16);
    std::copy(side, side + 4, png.begin() + 20);
    const uLong crc = crc32(0, png.data() + 12, 17);
    for (int i = 0; i < 4; ++i)
        png[29 + std::size_t(i)] = std::uint8_t(crc >> (24 - 8 * i));
    SpiPictureInfo info{};
    EXPECT_EQ(plugin.pictureInfo(bytesOf(png), info), SPI_NO_MEMORY);
    expectDecodeFails(png, SPI_NO_MEMORY);
}

TEST_F(PngPlugin, ProgressReachesTheEndAndAStopAborts) {
    const auto png = writePng(16, 300, ramp, {.interlaced = true});
    expectProgressToTheEnd(png, 3);
    expectStopsAbort(png, {1, 2});
}

} // namespace
