// The HEIF plug-in, loaded as the host loads it, on HEIC and AVIF files that
// libheif's encoders write here: signature by the ftyp brands, size and pixels,
// alpha, 10-bit samples, the file's own turn (and no second turn from EXIF),
// damaged files and the abort path.

#include "HeifWriter.h"
#include "common/PluginTest.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace {

using heiftest::Codec;
using heiftest::HeifOptions;
using heiftest::writeHeif;
using spitest::bytesOf;
using spitest::Rgba;

constexpr int Width = 64;
constexpr int Height = 48;

// Whole 16-pixel blocks, so chroma subsampling keeps their centres clean: red
// top left, green top right, blue bottom left, grey elsewhere; with alpha the
// bottom-right block is fully transparent.
std::vector<std::uint8_t> blocks(int x, int y) {
    if (y < 16 && x < 16)
        return {255, 0, 0, 255};
    if (y < 16 && x >= 48)
        return {0, 255, 0, 255};
    if (y >= 32 && x < 16)
        return {0, 0, 255, 255};
    if (y >= 32 && x >= 48)
        return {128, 128, 128, 0};
    return {128, 128, 128, 255};
}

std::vector<std::uint8_t> blockFile(HeifOptions options = {}) {
    return writeHeif(Width, Height, blocks, options);
}

bool near(const Rgba& seen, const Rgba& expected, int tolerance = 16) {
    return std::abs(seen.r - expected.r) <= tolerance &&
           std::abs(seen.g - expected.g) <= tolerance &&
           std::abs(seen.b - expected.b) <= tolerance && std::abs(seen.a - expected.a) <= 2;
}

const Rgba Red{255, 0, 0, 255};
const Rgba Green{0, 255, 0, 255};
const Rgba Blue{0, 0, 255, 255};
const Rgba Grey{128, 128, 128, 255};

// A file that is nothing but an ftyp box with these brands.
std::vector<std::uint8_t> ftypBox(const std::string& major,
                                  const std::vector<std::string>& compatible,
                                  std::uint32_t declaredSize = 0) {
    const std::uint32_t size =
        declaredSize ? declaredSize : std::uint32_t(16 + 4 * compatible.size());
    std::vector<std::uint8_t> box = {std::uint8_t(size >> 24),
                                     std::uint8_t(size >> 16),
                                     std::uint8_t(size >> 8),
                                     std::uint8_t(size),
                                     'f',
                                     't',
                                     'y',
                                     'p'};
    box.insert(box.end(), major.begin(), major.end());
    box.insert(box.end(), {0, 0, 0, 0});
    for (const auto& brand : compatible)
        box.insert(box.end(), brand.begin(), brand.end());
    return box;
}

class HeifPlugin : public spitest::PluginTest {};

TEST_F(HeifPlugin, DescribesItselfAsAnImportFilter) {
    const auto texts = plugin.infoTexts();
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0], "00IN");
    EXPECT_NE(texts[1].find("1.0"), std::string::npos);
    EXPECT_EQ(texts[2], "*.heic;*.heif;*.hif");
    EXPECT_EQ(texts[4], "*.avif");
    EXPECT_FALSE(texts[3].empty());
    EXPECT_FALSE(texts[5].empty());
}

TEST_F(HeifPlugin, DecidesByTheFileTypeBrands) {
    const auto heic = blockFile();
    const auto avif = blockFile({.codec = Codec::Av1});
    ASSERT_FALSE(heic.empty());
    ASSERT_FALSE(avif.empty());
    EXPECT_TRUE(plugin.isSupported(bytesOf(heic), "photo.jpg"));
    EXPECT_TRUE(plugin.isSupported(bytesOf(avif), ""));

    // Phones often put the structural brand first and the codec's among the compatible ones.
    EXPECT_TRUE(plugin.isSupported(bytesOf(ftypBox("mif1", {"miaf", "heic"}))));
    EXPECT_TRUE(plugin.isSupported(bytesOf(ftypBox("avif", {}))));
    // Other files of the same box structure: a video, a camera RAW.
    EXPECT_FALSE(plugin.isSupported(bytesOf(ftypBox("isom", {"iso2", "mp41"})), "x.heic"));
    EXPECT_FALSE(plugin.isSupported(bytesOf(ftypBox("crx ", {"isom"})), "x.heic"));
    // A brand beyond the box's declared end does not count, nor does a size of
    // broken brands or one too small to hold any.
    auto shortBox = ftypBox("isom", {"heic"}, 16);
    EXPECT_FALSE(plugin.isSupported(bytesOf(shortBox)));
    EXPECT_FALSE(plugin.isSupported(bytesOf(ftypBox("heic", {}, 18))));
    EXPECT_FALSE(plugin.isSupported(bytesOf(ftypBox("heic", {}, 8))));
    EXPECT_FALSE(plugin.isSupported({}));

    SpiPictureInfo info{};
    const auto video = ftypBox("isom", {"mp41"});
    EXPECT_NE(plugin.pictureInfo(bytesOf(video), info), SPI_SUCCESS);
    EXPECT_NE(plugin.decode(bytesOf(video)).code, SPI_SUCCESS);
}

TEST_F(HeifPlugin, HeicAndAvifSizeAndPixels) {
    for (const Codec codec : {Codec::Hevc, Codec::Av1}) {
        SCOPED_TRACE(codec == Codec::Hevc ? "HEIC" : "AVIF");
        const auto file = blockFile({.codec = codec});
        const auto picture = decodeWithInfo(file, Width, Height, 24);
        EXPECT_TRUE(near(picture.pixel(8, 8), Red));
        EXPECT_TRUE(near(picture.pixel(56, 8), Green));
        EXPECT_TRUE(near(picture.pixel(8, 40), Blue));
        EXPECT_TRUE(near(picture.pixel(32, 24), Grey));
        EXPECT_TRUE(near(picture.pixel(56, 40), Grey)); // alpha dropped, colour kept
    }
}

// An AVIF coded in layers may declare another size than its codec decodes
// to; the information must describe the picture handed over. Made here by
// shrinking the declared size and turning the pixel-depth property ("pixi",
// same length) into a layer property.
TEST_F(HeifPlugin, LayeredAvifReportsTheSizeItDecodesTo) {
    auto file = blockFile({.codec = Codec::Av1});
    auto find = [&](std::string_view type) {
        const auto at = std::search(file.begin(), file.end(), type.begin(), type.end());
        return at == file.end() ? std::size_t(0) : std::size_t(at - file.begin());
    };
    const std::size_t size = find("ispe");
    const std::size_t depth = find("pixi");
    ASSERT_NE(size, 0u);
    ASSERT_NE(depth, 0u);
    file[size + 11] = Width / 4;  // width, big-endian, after version and flags
    file[size + 15] = Height / 4; // height
    std::memcpy(&file[depth], "a1lx", 4);
    const auto picture = decodeWithInfo(file, Width, Height, 24);
    EXPECT_TRUE(near(picture.pixel(8, 8), Red));
}

TEST_F(HeifPlugin, AlphaGivesThirtyTwoBitPixels) {
    for (const Codec codec : {Codec::Hevc, Codec::Av1}) {
        SCOPED_TRACE(codec == Codec::Hevc ? "HEIC" : "AVIF");
        const auto file = blockFile({.codec = codec, .alpha = true});
        SpiPictureInfo info{};
        ASSERT_EQ(plugin.pictureInfo(bytesOf(file), info), SPI_SUCCESS);
        EXPECT_EQ(info.color_depth, 32);
        const auto picture = plugin.decode(bytesOf(file));
        ASSERT_EQ(picture.code, SPI_SUCCESS);
        EXPECT_EQ(picture.bitCount, 32);
        EXPECT_TRUE(near(picture.pixel(8, 8), Red));
        EXPECT_EQ(picture.pixel(56, 40).a, 0);
        EXPECT_EQ(picture.pixel(32, 24).a, 255);
    }
}

TEST_F(HeifPlugin, TenBitAndGreySources) {
    // HEVC Main 10 only: Debian's AV1 encoder asserts on 10-bit RGB input.
    const auto file = blockFile({.tenBit = true, .lossless = false});
    ASSERT_FALSE(file.empty());
    auto picture = plugin.decode(bytesOf(file));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.bitCount, 24);
    EXPECT_TRUE(near(picture.pixel(8, 8), Red));
    EXPECT_TRUE(near(picture.pixel(8, 40), Blue));
    EXPECT_TRUE(near(picture.pixel(32, 24), Grey));

    // Grey takes the red value: white top left, black top right and bottom left.
    for (const Codec codec : {Codec::Hevc, Codec::Av1}) {
        SCOPED_TRACE(codec == Codec::Hevc ? "HEIC" : "AVIF");
        picture = plugin.decode(bytesOf(blockFile({.codec = codec, .grey = true})));
        ASSERT_EQ(picture.code, SPI_SUCCESS);
        EXPECT_EQ(picture.bitCount, 24);
        EXPECT_TRUE(near(picture.pixel(8, 8), (Rgba{255, 255, 255, 255}), 4));
        EXPECT_TRUE(near(picture.pixel(56, 8), (Rgba{0, 0, 0, 255}), 4));
        EXPECT_TRUE(near(picture.pixel(32, 24), Grey, 4));
    }
}

TEST_F(HeifPlugin, TheFileTurnIsAppliedOnceAndExifIsNotAppliedAgain) {
    // Stored 64 × 48, to be turned a quarter clockwise: red (top left) ends up
    // top right, blue (bottom left) top left.
    const auto turned = blockFile({.orientation = 6, .exifOrientation = 6});
    SpiPictureInfo info{};
    ASSERT_EQ(plugin.pictureInfo(bytesOf(turned), info), SPI_SUCCESS);
    EXPECT_EQ(info.width, Height);
    EXPECT_EQ(info.height, Width);
    auto picture = plugin.decode(bytesOf(turned));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    ASSERT_EQ(picture.width, Height);
    ASSERT_EQ(picture.height, Width);
    EXPECT_TRUE(near(picture.pixel(Height - 8, 8), Red));
    EXPECT_TRUE(near(picture.pixel(8, 8), Blue));
    EXPECT_TRUE(near(picture.pixel(Height - 8, Width - 8), Green));

    // Mirrored left to right by the file itself.
    picture = plugin.decode(bytesOf(blockFile({.orientation = 2})));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_TRUE(near(picture.pixel(Width - 8, 8), Red));
    EXPECT_TRUE(near(picture.pixel(8, 8), Green));

    // An EXIF tag without the file's own transformation changes nothing.
    picture = plugin.decode(bytesOf(blockFile({.exifOrientation = 8})));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.width, Width);
    EXPECT_EQ(picture.height, Height);
    EXPECT_TRUE(near(picture.pixel(8, 8), Red));
}

TEST_F(HeifPlugin, OnePixelPicture) {
    for (const Codec codec : {Codec::Hevc, Codec::Av1}) {
        SCOPED_TRACE(codec == Codec::Hevc ? "HEIC" : "AVIF");
        const auto file = writeHeif(1, 1,
                                    [](int, int) {
                                        return std::vector<std::uint8_t>{0, 0, 255};
                                    },
                                    {.codec = codec});
        ASSERT_FALSE(file.empty());
        SpiPictureInfo info{};
        ASSERT_EQ(plugin.pictureInfo(bytesOf(file), info), SPI_SUCCESS);
        EXPECT_EQ(info.width, 1);
        EXPECT_EQ(info.height, 1);
        const auto picture = plugin.decode(bytesOf(file));
        ASSERT_EQ(picture.code, SPI_SUCCESS);
        EXPECT_EQ(picture.width, 1);
        EXPECT_EQ(picture.height, 1);
        EXPECT_TRUE(near(picture.pixel(0, 0), Blue, 24));
    }
}

TEST_F(HeifPlugin, CutOrDamagedFilesFailCleanly) {
    const auto file = blockFile({.lossless = false});
    ASSERT_GT(file.size(), 100u);
    // libheif writes the boxes first and the coded picture last, so every cut
    // loses either the structure or picture data.
    expectCutsFail(file, {12, 40, file.size() / 2, file.size() - 10}, spitest::AnyFailure);
    const std::vector<std::uint8_t> cut(file.begin(), file.begin() + 40);
    SpiPictureInfo info{};
    EXPECT_EQ(plugin.pictureInfo(bytesOf(cut), info), SPI_BROKEN_DATA);

    // Noise over the coded picture.
    auto noisy = file;
    for (std::size_t i = noisy.size() - 60; i < noisy.size(); ++i)
        noisy[i] = std::uint8_t(i * 37);
    const auto picture = plugin.decode(bytesOf(noisy));
    EXPECT_EQ(picture.leakedHandles, 0);
}

TEST_F(HeifPlugin, StopsWhenTheHostAsks) {
    const auto file = blockFile();
    expectStopsAbort(file, {1, 2, 3});
    expectProgressToTheEnd(file, 3);
}

} // namespace
