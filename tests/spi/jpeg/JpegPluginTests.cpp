// The JPEG plug-in, loaded as the host loads it, on files written here by
// libjpeg: signature, header, pixels of colour, grey and CMYK pictures, EXIF
// orientation, damaged files and the abort path.

#include "JpegWriter.h"
#include "common/PluginTest.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

using jpegtest::JpegOptions;
using jpegtest::writeJpeg;
using spitest::bytesOf;
using spitest::DecodedPicture;
using spitest::Rgba;

// 48 × 32: a red block top left, a green block top right, a blue block bottom
// left, grey elsewhere; blocks are whole 16-pixel cells so JPEG keeps them clean.
std::vector<std::uint8_t> quadrantColour(int x, int y) {
    if (y < 16 && x < 16)
        return {255, 0, 0};
    if (y < 16 && x >= 32)
        return {0, 255, 0};
    if (y >= 16 && x < 16)
        return {0, 0, 255};
    return {128, 128, 128};
}

std::vector<std::uint8_t> quadrantJpeg(const JpegOptions& options = {}) {
    return writeJpeg(48, 32, quadrantColour, options);
}

bool near(const Rgba& seen, const Rgba& expected, int tolerance = 12) {
    return std::abs(seen.r - expected.r) <= tolerance &&
           std::abs(seen.g - expected.g) <= tolerance &&
           std::abs(seen.b - expected.b) <= tolerance && seen.a == expected.a;
}

const Rgba Red{255, 0, 0, 255};
const Rgba Green{0, 255, 0, 255};
const Rgba Blue{0, 0, 255, 255};

class JpegPlugin : public spitest::PluginTest {};

TEST_F(JpegPlugin, DescribesItselfAsAnImportFilter) {
    const auto texts = plugin.infoTexts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "00IN");
    EXPECT_NE(texts[1].find("1.0"), std::string::npos);
    EXPECT_EQ(texts[2], "*.jpg;*.jpeg;*.jpe;*.jfif");
    EXPECT_FALSE(texts[3].empty());
}

TEST_F(JpegPlugin, DecidesByContentNotByName) {
    const auto jpeg = quadrantJpeg();
    EXPECT_TRUE(plugin.isSupported(bytesOf(jpeg), "holiday.png"));
    EXPECT_TRUE(plugin.isSupported(bytesOf(jpeg), ""));
    const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    EXPECT_FALSE(plugin.isSupported(bytesOf(png), "photo.jpg"));
    EXPECT_FALSE(plugin.isSupported({}, "photo.jpg"));
    const std::vector<std::uint8_t> soiOnly = {0xff, 0xd8, 0x00, 0x00};
    EXPECT_FALSE(plugin.isSupported(bytesOf(soiOnly), "photo.jpg"));

    SpiPictureInfo info{};
    EXPECT_EQ(plugin.pictureInfo(bytesOf(png), info), SPI_UNKNOWN_FORMAT);
    EXPECT_EQ(plugin.decode(bytesOf(png)).code, SPI_UNKNOWN_FORMAT);
}

TEST_F(JpegPlugin, ColourPictureSizeAndPixels) {
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        const auto jpeg = quadrantJpeg({.progressive = progressive});
        const DecodedPicture picture = decodeWithInfo(jpeg, 48, 32, 24);
        EXPECT_TRUE(near(picture.pixel(8, 8), Red)) << progressive;
        EXPECT_TRUE(near(picture.pixel(40, 8), Green)) << progressive;
        EXPECT_TRUE(near(picture.pixel(8, 24), Blue)) << progressive;
        EXPECT_TRUE(near(picture.pixel(24, 24), {128, 128, 128, 255}));
    }
}

TEST_F(JpegPlugin, GreyPicture) {
    const auto jpeg = writeJpeg(
        20, 10,
        [](int x, int) { return std::vector<std::uint8_t>{std::uint8_t(x < 10 ? 30 : 220)}; },
        {.components = 1});
    SpiPictureInfo info{};
    ASSERT_EQ(plugin.pictureInfo(bytesOf(jpeg), info), SPI_SUCCESS);
    EXPECT_EQ(info.color_depth, 8);
    const DecodedPicture picture = plugin.decode(bytesOf(jpeg));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.bitCount, 24);
    EXPECT_TRUE(near(picture.pixel(2, 5), {30, 30, 30, 255}, 4));
    EXPECT_TRUE(near(picture.pixel(17, 5), {220, 220, 220, 255}, 4));
}

TEST_F(JpegPlugin, CmykPicturesPlainAndAdobeInverted) {
    // Ink: magenta and yellow make red; the lower half is pure black ink.
    auto ink = [](int, int y) {
        return y < 8 ? std::vector<std::uint8_t>{0, 255, 255, 0}
                     : std::vector<std::uint8_t>{0, 0, 0, 255};
    };
    auto inverted = [&](int x, int y) {
        auto px = ink(x, y);
        for (auto& v : px)
            v = std::uint8_t(255 - v);
        return px;
    };
    const auto plain = writeJpeg(16, 16, ink, {.components = 4, .adobeMarker = false});
    const auto adobe = writeJpeg(16, 16, inverted, {.components = 4, .adobeMarker = true});
    for (const auto* file : {&plain, &adobe}) {
        SpiPictureInfo info{};
        ASSERT_EQ(plugin.pictureInfo(bytesOf(*file), info), SPI_SUCCESS);
        EXPECT_EQ(info.color_depth, 32);
        const DecodedPicture picture = plugin.decode(bytesOf(*file));
        ASSERT_EQ(picture.code, SPI_SUCCESS);
        EXPECT_EQ(picture.bitCount, 24);
        EXPECT_TRUE(near(picture.pixel(4, 2), Red)) << (file == &adobe);
        EXPECT_TRUE(near(picture.pixel(4, 13), {0, 0, 0, 255})) << (file == &adobe);
    }
}

TEST_F(JpegPlugin, ExifOrientationTurnsThePictureUpright) {
    struct Case {
        int orientation;
        int width;
        int height;
        std::pair<int, int> red;   // centre of the stored top-left block
        std::pair<int, int> green; // centre of the stored top-right block
    };
    const Case cases[] = {
        {1, 48, 32, {8, 8}, {40, 8}},   {2, 48, 32, {40, 8}, {8, 8}},
        {3, 48, 32, {40, 24}, {8, 24}}, {6, 32, 48, {24, 8}, {24, 40}},
        {8, 32, 48, {8, 40}, {8, 8}},
    };
    for (const Case& c : cases) {
        const auto jpeg = quadrantJpeg({.exifOrientation = c.orientation});
        SpiPictureInfo info{};
        ASSERT_EQ(plugin.pictureInfo(bytesOf(jpeg), info), SPI_SUCCESS);
        EXPECT_EQ(info.width, c.width) << c.orientation;
        EXPECT_EQ(info.height, c.height) << c.orientation;
        const DecodedPicture picture = plugin.decode(bytesOf(jpeg));
        ASSERT_EQ(picture.code, SPI_SUCCESS);
        EXPECT_EQ(picture.width, c.width);
        EXPECT_EQ(picture.height, c.height);
        EXPECT_TRUE(near(picture.pixel(c.red.first, c.red.second), Red)) << c.orientation;
        EXPECT_TRUE(near(picture.pixel(c.green.first, c.green.second), Green)) << c.orientation;
    }
}

// GetPictureScaled hands over the smallest DCT reduction (n/8) whose sides
// are still at least those of the picture fitted into the box, turned upright.
TEST_F(JpegPlugin, ScaledDecodeIsTheSmallestDctScaleCoveringTheBox) {
    struct Case {
        int orientation;
        int maxWidth;
        int maxHeight;
        int width; // expected size
        int height;
        std::pair<int, int> red; // centre of the stored top-left block, scaled
    };
    const Case cases[] = {
        {1, 24, 24, 24, 16, {4, 4}},     // exactly half
        {1, 7, 7, 12, 8, {2, 2}},        // 1/8 would be 6 wide, too narrow
        {1, 1000, 1000, 48, 32, {8, 8}}, // never enlarged
        {1, 0, 8, 12, 8, {2, 2}},        // only the height bounded
        {6, 16, 100, 16, 24, {12, 4}},   // the box applies to the upright picture
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.orientation << " in " << c.maxWidth << "x" << c.maxHeight);
        const auto jpeg = quadrantJpeg({.exifOrientation = c.orientation});
        const DecodedPicture picture = plugin.decodeScaled(bytesOf(jpeg), c.maxWidth, c.maxHeight);
        ASSERT_EQ(picture.code, SPI_SUCCESS);
        EXPECT_EQ(picture.leakedHandles, 0);
        EXPECT_EQ(picture.width, c.width);
        EXPECT_EQ(picture.height, c.height);
        EXPECT_TRUE(near(picture.pixel(c.red.first, c.red.second), Red, 24));
    }
    const auto jpeg = quadrantJpeg();
    const std::vector<std::uint8_t> cut(jpeg.begin(),
                                        jpeg.begin() + std::ptrdiff_t(jpeg.size() / 2));
    const DecodedPicture broken = plugin.decodeScaled(bytesOf(cut), 10, 10);
    EXPECT_EQ(broken.code, SPI_BROKEN_DATA);
    EXPECT_EQ(broken.leakedHandles, 0);
}

TEST_F(JpegPlugin, OnePixelPicture) {
    const auto jpeg = writeJpeg(1, 1, [](int, int) {
        return std::vector<std::uint8_t>{10, 200, 60};
    });
    const DecodedPicture picture = plugin.decode(bytesOf(jpeg));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.width, 1);
    EXPECT_EQ(picture.height, 1);
    EXPECT_EQ(picture.rows.size(), 4u);
    EXPECT_TRUE(near(picture.pixel(0, 0), {10, 200, 60, 255}, 8));
}

TEST_F(JpegPlugin, TruncatedAndCutShortDataIsBroken) {
    const auto jpeg = quadrantJpeg({.progressive = false, .exifOrientation = 6});
    expectCutsFail(jpeg, spitest::cutLengths(4, jpeg.size() - 1, 5), SPI_BROKEN_DATA);
    const std::vector<std::uint8_t> withoutEnd(jpeg.begin(), jpeg.end() - 2);
    EXPECT_EQ(plugin.decode(bytesOf(withoutEnd)).code, SPI_BROKEN_DATA);
    const std::vector<std::uint8_t> tiny(jpeg.begin(), jpeg.begin() + 3);
    EXPECT_EQ(plugin.decode(bytesOf(tiny)).code, SPI_UNKNOWN_FORMAT);

    // Pixel data (the file's last part) that stops at an end marker early.
    auto stopped = jpeg;
    stopped[stopped.size() - 30] = 0xff;
    stopped[stopped.size() - 29] = 0xd9;
    EXPECT_EQ(plugin.decode(bytesOf(stopped)).code, SPI_BROKEN_DATA);
}

TEST_F(JpegPlugin, HostileSizesAreRefusedBeforeDecoding) {
    auto jpeg = quadrantJpeg();
    // Find the frame header and make the picture 65000 × 65000.
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xff && jpeg[i + 1] == 0xc0) {
            jpeg[i + 5] = 0xfd;
            jpeg[i + 6] = 0xe8;
            jpeg[i + 7] = 0xfd;
            jpeg[i + 8] = 0xe8;
            break;
        }
    }
    SpiPictureInfo info{};
    EXPECT_EQ(plugin.pictureInfo(bytesOf(jpeg), info), SPI_NO_MEMORY);
    expectDecodeFails(jpeg, SPI_NO_MEMORY);
}

TEST_F(JpegPlugin, ProgressReachesTheEndAndAStopAborts) {
    const auto jpeg = writeJpeg(64, 640, quadrantColour);
    expectProgressToTheEnd(jpeg, 3);
    expectStopsAbort(jpeg, {1, 3});
}

} // namespace
