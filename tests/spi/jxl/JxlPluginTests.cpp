// The JPEG XL plug-in, loaded as the host loads it, on files that libjxl's
// encoder writes here: both signatures, size and exact pixels of lossless
// pictures, alpha, grey, 16-bit samples, the codestream's orientation, the
// first frame of an animation, damaged files and the abort path.

#include "JxlWriter.h"
#include "common/PluginTest.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

using jxltest::JxlOptions;
using jxltest::writeJxl;
using spitest::bytesOf;
using spitest::Rgba;

constexpr int Width = 40;
constexpr int Height = 30;

// Red top left, green top right, blue bottom left, a grey ramp elsewhere;
// with alpha the bottom-right corner is transparent.
std::vector<std::uint8_t> blocks(int, int x, int y) {
    if (y < 10 && x < 10)
        return {255, 0, 0, 255};
    if (y < 10 && x >= 30)
        return {0, 255, 0, 255};
    if (y >= 20 && x < 10)
        return {0, 0, 255, 255};
    if (y >= 20 && x >= 30)
        return {90, 90, 90, 0};
    const auto level = std::uint8_t(x * 6);
    return {level, level, level, 255};
}

std::vector<std::uint8_t> blockFile(const JxlOptions& options = {}) {
    return writeJxl(Width, Height, blocks, options);
}

const Rgba Red{255, 0, 0, 255};
const Rgba Green{0, 255, 0, 255};
const Rgba Blue{0, 0, 255, 255};

class JxlPlugin : public spitest::PluginTest {};

TEST_F(JxlPlugin, DescribesItselfAsAnImportFilter) {
    const auto texts = plugin.infoTexts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "00IN");
    EXPECT_NE(texts[1].find("1.0"), std::string::npos);
    EXPECT_EQ(texts[2], "*.jxl");
    EXPECT_FALSE(texts[3].empty());
}

TEST_F(JxlPlugin, DecidesByEitherSignature) {
    const auto bare = blockFile();
    const auto boxed = blockFile({.container = true});
    ASSERT_GE(bare.size(), 2u);
    ASSERT_GE(boxed.size(), 12u);
    EXPECT_EQ(bare[0], 0xff);
    EXPECT_EQ(bare[1], 0x0a);
    EXPECT_EQ(boxed[4], 'J');
    EXPECT_TRUE(plugin.isSupported(bytesOf(bare), "photo.png"));
    EXPECT_TRUE(plugin.isSupported(bytesOf(boxed), ""));

    const std::vector<std::uint8_t> jpeg = {0xff, 0xd8, 0xff, 0xe0};
    const std::vector<std::uint8_t> otherBox = {0,   0,   0,    12,   'J',  'X',
                                                'L', 'X', 0x0d, 0x0a, 0x87, 0x0a};
    EXPECT_FALSE(plugin.isSupported(bytesOf(jpeg), "photo.jxl"));
    EXPECT_FALSE(plugin.isSupported(bytesOf(otherBox), "photo.jxl"));
    EXPECT_FALSE(plugin.isSupported({}, "photo.jxl"));
    SpiPictureInfo info{};
    EXPECT_EQ(plugin.pictureInfo(bytesOf(jpeg), info), SPI_UNKNOWN_FORMAT);
    EXPECT_EQ(plugin.decode(bytesOf(jpeg)).code, SPI_UNKNOWN_FORMAT);
}

TEST_F(JxlPlugin, LosslessPixelsComeBackExactly) {
    for (const bool container : {false, true}) {
        SCOPED_TRACE(container ? "container" : "codestream");
        const auto file = blockFile({.container = container});
        const auto picture = decodeWithInfo(file, Width, Height, 24);
        EXPECT_EQ(picture.pixel(0, 0), Red);
        EXPECT_EQ(picture.pixel(Width - 1, 0), Green);
        EXPECT_EQ(picture.pixel(0, Height - 1), Blue);
        EXPECT_EQ(picture.pixel(20, 15), (Rgba{120, 120, 120, 255}));
        EXPECT_EQ(picture.pixel(Width - 1, Height - 1), (Rgba{90, 90, 90, 255}));
    }
}

TEST_F(JxlPlugin, AlphaGreyAndSixteenBitSources) {
    auto picture = plugin.decode(bytesOf(blockFile({.alpha = true})));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.bitCount, 32);
    EXPECT_EQ(picture.pixel(0, 0), Red);
    EXPECT_EQ(picture.pixel(Width - 1, Height - 1), (Rgba{90, 90, 90, 0}));
    SpiPictureInfo info{};
    ASSERT_EQ(plugin.pictureInfo(bytesOf(blockFile({.alpha = true})), info), SPI_SUCCESS);
    EXPECT_EQ(info.color_depth, 32);

    // Grey takes the red value of the pattern.
    picture = plugin.decode(bytesOf(blockFile({.grey = true})));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.bitCount, 24);
    EXPECT_EQ(picture.pixel(0, 0), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(picture.pixel(Width - 1, 0), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(picture.pixel(20, 15), (Rgba{120, 120, 120, 255}));

    picture = plugin.decode(bytesOf(blockFile({.alpha = true, .sixteenBit = true})));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.bitCount, 32);
    EXPECT_EQ(picture.pixel(0, Height - 1), Blue);
    EXPECT_EQ(picture.pixel(20, 15), (Rgba{120, 120, 120, 255}));
    EXPECT_EQ(picture.pixel(Width - 1, Height - 1).a, 0);
}

TEST_F(JxlPlugin, TheCodestreamOrientationIsApplied) {
    // To be turned a quarter clockwise: red (top left) ends up top right, blue top left.
    const auto turned = blockFile({.orientation = 6});
    SpiPictureInfo info{};
    ASSERT_EQ(plugin.pictureInfo(bytesOf(turned), info), SPI_SUCCESS);
    EXPECT_EQ(info.width, Height);
    EXPECT_EQ(info.height, Width);
    auto picture = plugin.decode(bytesOf(turned));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    ASSERT_EQ(picture.width, Height);
    ASSERT_EQ(picture.height, Width);
    EXPECT_EQ(picture.pixel(Height - 1, 0), Red);
    EXPECT_EQ(picture.pixel(0, 0), Blue);
    EXPECT_EQ(picture.pixel(Height - 1, Width - 1), Green);

    picture = plugin.decode(bytesOf(blockFile({.orientation = 3})));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.pixel(Width - 1, Height - 1), Red);
    EXPECT_EQ(picture.pixel(Width - 1, 0), Blue);
}

TEST_F(JxlPlugin, AnAnimationShowsItsFirstFrame) {
    const auto file = writeJxl(8, 8,
                               [](int frame, int, int) {
                                   return frame == 0 ? std::vector<std::uint8_t>{255, 0, 0}
                                                     : std::vector<std::uint8_t>{0, 0, 255};
                               },
                               {.frames = 2});
    const auto picture = plugin.decode(bytesOf(file));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.width, 8);
    EXPECT_EQ(picture.pixel(4, 4), Red);
}

TEST_F(JxlPlugin, OnePixelPicture) {
    const auto file = writeJxl(1, 1, [](int, int, int) {
        return std::vector<std::uint8_t>{10, 20, 30};
    });
    SpiPictureInfo info{};
    ASSERT_EQ(plugin.pictureInfo(bytesOf(file), info), SPI_SUCCESS);
    EXPECT_EQ(info.width, 1);
    EXPECT_EQ(info.height, 1);
    const auto picture = plugin.decode(bytesOf(file));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.width, 1);
    EXPECT_EQ(picture.height, 1);
    EXPECT_EQ(picture.pixel(0, 0), (Rgba{10, 20, 30, 255}));
}

TEST_F(JxlPlugin, CutFilesAreBrokenData) {
    for (const bool container : {false, true}) {
        const auto file = blockFile({.container = container});
        SCOPED_TRACE(container ? "container" : "codestream");
        expectCutsFail(file, {20, file.size() / 2, file.size() - 1}, SPI_BROKEN_DATA);
    }
    const auto file = blockFile();
    const std::vector<std::uint8_t> header(file.begin(), file.begin() + 3);
    SpiPictureInfo info{};
    EXPECT_EQ(plugin.pictureInfo(bytesOf(header), info), SPI_BROKEN_DATA);
}

TEST_F(JxlPlugin, StopsWhenTheHostAsks) {
    const auto file = blockFile();
    expectStopsAbort(file, {1, 2});
}

// What the host saw before it asked to stop.
struct StopAtSecond {
    int calls = 0;
    std::int32_t current = -1;
    std::int32_t total = -1;
};

std::int32_t stopAtSecond(std::int32_t current, std::int32_t total, intptr_t user) {
    auto* state = reinterpret_cast<StopAtSecond*>(user);
    if (++state->calls < 2)
        return 0;
    state->current = current;
    state->total = total;
    return 1;
}

TEST_F(JxlPlugin, ALargeFileCanBeStoppedWhileItIsRead) {
    // Noise does not compress, so the file spans several input slices.
    std::mt19937 noise(7);
    const auto file = writeJxl(256, 256, [&](int, int, int) {
        return std::vector<std::uint8_t>{std::uint8_t(noise()), std::uint8_t(noise()),
                                         std::uint8_t(noise())};
    });
    ASSERT_GT(file.size(), 150'000u);
    StopAtSecond state;
    const auto picture =
        plugin.decode(bytesOf(file), stopAtSecond, reinterpret_cast<intptr_t>(&state));
    EXPECT_EQ(picture.code, SPI_ABORTED);
    EXPECT_EQ(picture.leakedHandles, 0);
    // The second report came while the input was still being read.
    EXPECT_GT(state.current, 0);
    EXPECT_LT(state.current, state.total / 2);
}

} // namespace
