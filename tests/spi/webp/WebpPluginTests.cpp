#include "common/PluginTest.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>
#include <webp/encode.h>
#include <webp/mux.h>

using spitest::bytesOf;
using spitest::DecodedPicture;
using spitest::Rgba;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A picture with a different colour at every pixel, so a misplaced row or
// column shows; alpha runs from opaque down to nearly clear.
Rgba patternAt(int x, int y, bool alpha) {
    return {(x * 37 + y * 11) & 0xff, (y * 53 + 7) & 0xff, (x * 5 + y * 3 + 90) & 0xff,
            alpha ? 255 - ((x + y * 7) % 250) : 255};
}

Bytes patternPixels(int width, int height, bool alpha) {
    const int channels = alpha ? 4 : 3;
    Bytes pixels(std::size_t(width) * std::size_t(height) * std::size_t(channels));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgba c = patternAt(x, y, alpha);
            std::uint8_t* p = &pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) *
                                      std::size_t(channels)];
            p[0] = std::uint8_t(c.r);
            p[1] = std::uint8_t(c.g);
            p[2] = std::uint8_t(c.b);
            if (alpha)
                p[3] = std::uint8_t(c.a);
        }
    return pixels;
}

Bytes takeEncoded(std::uint8_t* data, std::size_t size) {
    Bytes file(data, data + size);
    WebPFree(data);
    return file;
}

Bytes losslessPattern(int width, int height, bool alpha) {
    const Bytes pixels = patternPixels(width, height, alpha);
    std::uint8_t* out = nullptr;
    const std::size_t size =
        alpha ? WebPEncodeLosslessRGBA(pixels.data(), width, height, width * 4, &out)
              : WebPEncodeLosslessRGB(pixels.data(), width, height, width * 3, &out);
    return takeEncoded(out, size);
}

// Lossy pictures are checked against a smooth picture, which survives the
// encoder closely.
Rgba smoothAt(int x, int y, int width, int height) {
    return {x * 255 / width, y * 255 / height, 128, 255};
}

Bytes lossySmooth(int width, int height) {
    Bytes pixels(std::size_t(width) * std::size_t(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgba c = smoothAt(x, y, width, height);
            std::uint8_t* p = &pixels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3];
            p[0] = std::uint8_t(c.r);
            p[1] = std::uint8_t(c.g);
            p[2] = std::uint8_t(c.b);
        }
    std::uint8_t* out = nullptr;
    const std::size_t size = WebPEncodeRGB(pixels.data(), width, height, width * 3, 95, &out);
    return takeEncoded(out, size);
}

// Two frames of one colour each; the second is drawn over the first.
Bytes twoFrameAnimation(int width, int height, Rgba first, Rgba second) {
    WebPAnimEncoderOptions options;
    EXPECT_TRUE(WebPAnimEncoderOptionsInit(&options));
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(width, height, &options);
    WebPConfig config;
    EXPECT_TRUE(WebPConfigInit(&config));
    config.lossless = 1;
    int timestamp = 0;
    for (const Rgba& colour : {first, second}) {
        WebPPicture frame;
        EXPECT_TRUE(WebPPictureInit(&frame));
        frame.use_argb = 1;
        frame.width = width;
        frame.height = height;
        EXPECT_TRUE(WebPPictureAlloc(&frame));
        const std::uint32_t argb = std::uint32_t(colour.a) << 24 | std::uint32_t(colour.r) << 16 |
                                   std::uint32_t(colour.g) << 8 | std::uint32_t(colour.b);
        for (int i = 0; i < width * height; ++i)
            frame.argb[i] = argb;
        EXPECT_TRUE(WebPAnimEncoderAdd(encoder, &frame, timestamp, &config));
        WebPPictureFree(&frame);
        timestamp += 100;
    }
    EXPECT_TRUE(WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr));
    WebPData assembled;
    WebPDataInit(&assembled);
    EXPECT_TRUE(WebPAnimEncoderAssemble(encoder, &assembled));
    Bytes file(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    WebPAnimEncoderDelete(encoder);
    return file;
}

// An animation on a `canvas` whose first frame, `frame` (a still WebP file),
// covers only part of it at (left, top); a second frame fills the canvas.
Bytes offsetFirstFrame(int canvasWidth, int canvasHeight, const Bytes& frame, int left, int top,
                       const Bytes& fullSecondFrame) {
    WebPMux* mux = WebPMuxNew();
    WebPMuxFrameInfo info{};
    info.id = WEBP_CHUNK_ANMF;
    info.duration = 100;
    info.bitstream = {frame.data(), frame.size()};
    info.x_offset = left;
    info.y_offset = top;
    EXPECT_EQ(WebPMuxPushFrame(mux, &info, 1), WEBP_MUX_OK);
    info.bitstream = {fullSecondFrame.data(), fullSecondFrame.size()};
    info.x_offset = 0;
    info.y_offset = 0;
    EXPECT_EQ(WebPMuxPushFrame(mux, &info, 1), WEBP_MUX_OK);
    EXPECT_EQ(WebPMuxSetCanvasSize(mux, canvasWidth, canvasHeight), WEBP_MUX_OK);
    const WebPMuxAnimParams loop{0, 0};
    EXPECT_EQ(WebPMuxSetAnimationParams(mux, &loop), WEBP_MUX_OK);
    WebPData assembled;
    WebPDataInit(&assembled);
    EXPECT_EQ(WebPMuxAssemble(mux, &assembled), WEBP_MUX_OK);
    Bytes file(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    WebPMuxDelete(mux);
    return file;
}

bool near(const Rgba& actual, const Rgba& expected, int tolerance) {
    return std::abs(actual.r - expected.r) <= tolerance &&
           std::abs(actual.g - expected.g) <= tolerance &&
           std::abs(actual.b - expected.b) <= tolerance && actual.a == expected.a;
}

class WebpPlugin : public spitest::PluginTest {};

TEST_F(WebpPlugin, DeclaresAnImportFilterForWebpFiles) {
    const std::vector<std::string> texts = plugin.infoTexts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "00IN");
    EXPECT_NE(texts[1].find("WebP"), std::string::npos);
    EXPECT_EQ(texts[2], "*.webp");
    EXPECT_FALSE(texts[3].empty());
}

TEST_F(WebpPlugin, RecognisesWebpByContentNotByName) {
    EXPECT_TRUE(plugin.isSupported(bytesOf(lossySmooth(8, 8)), "photo.jpg"));
    EXPECT_TRUE(plugin.isSupported(bytesOf(losslessPattern(8, 8, false))));
    EXPECT_TRUE(plugin.isSupported(bytesOf(losslessPattern(8, 8, true))));
    EXPECT_TRUE(
        plugin.isSupported(bytesOf(twoFrameAnimation(4, 4, {255, 0, 0, 255}, {0, 0, 255, 255}))));

    const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n',
                       0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    const Bytes wave = {'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    const Bytes unknownChunk = {'R', 'I', 'F', 'F', 36,  0,   0,   0,
                                'W', 'E', 'B', 'P', 'J', 'U', 'N', 'K'};
    EXPECT_FALSE(plugin.isSupported(bytesOf(png), "picture.webp"));
    EXPECT_FALSE(plugin.isSupported(bytesOf(wave), "picture.webp"));
    EXPECT_FALSE(plugin.isSupported(bytesOf(unknownChunk), "picture.webp"));
    EXPECT_FALSE(plugin.isSupported({}, "picture.webp"));

    SpiPictureInfo info;
    EXPECT_EQ(plugin.pictureInfo(bytesOf(png), info), SPI_UNKNOWN_FORMAT);
    EXPECT_EQ(plugin.decode(bytesOf(wave)).code, SPI_UNKNOWN_FORMAT);
}

TEST_F(WebpPlugin, ReportsSizeAndDepthFromTheHeader) {
    SpiPictureInfo info;
    ASSERT_EQ(plugin.pictureInfo(bytesOf(lossySmooth(37, 23)), info), SPI_SUCCESS);
    EXPECT_EQ(info.width, 37);
    EXPECT_EQ(info.height, 23);
    EXPECT_EQ(info.color_depth, 24);
    EXPECT_EQ(info.left, 0);
    EXPECT_EQ(info.top, 0);

    ASSERT_EQ(plugin.pictureInfo(bytesOf(losslessPattern(5, 9, true)), info), SPI_SUCCESS);
    EXPECT_EQ(info.width, 5);
    EXPECT_EQ(info.height, 9);
    EXPECT_EQ(info.color_depth, 32);
}

TEST_F(WebpPlugin, LosslessPictureComesOutPixelExact) {
    // An odd width gives 24-bit rows with padding.
    const DecodedPicture picture = decodeOk(losslessPattern(37, 23, false));
    ASSERT_EQ(picture.width, 37);
    ASSERT_EQ(picture.height, 23);
    EXPECT_EQ(picture.bitCount, 24);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            ASSERT_EQ(picture.pixel(x, y), patternAt(x, y, false)) << x << "," << y;
}

TEST_F(WebpPlugin, AlphaGivesStraightThirtyTwoBitPixels) {
    const DecodedPicture picture = decodeOk(losslessPattern(19, 11, true));
    ASSERT_EQ(picture.bitCount, 32);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 19; ++x)
            ASSERT_EQ(picture.pixel(x, y), patternAt(x, y, true)) << x << "," << y;
}

TEST_F(WebpPlugin, LossyPictureStaysCloseToTheOriginal) {
    const DecodedPicture picture = decodeOk(lossySmooth(64, 48));
    ASSERT_EQ(picture.width, 64);
    ASSERT_EQ(picture.height, 48);
    EXPECT_EQ(picture.bitCount, 24);
    for (const auto& [x, y] : {std::pair{0, 0}, {63, 0}, {0, 47}, {63, 47}, {32, 24}, {10, 40}})
        EXPECT_TRUE(near(picture.pixel(x, y), smoothAt(x, y, 64, 48), 12)) << x << "," << y;
}

TEST_F(WebpPlugin, OnePixelPicture) {
    const DecodedPicture picture = decodeOk(losslessPattern(1, 1, false));
    ASSERT_EQ(picture.width, 1);
    ASSERT_EQ(picture.height, 1);
    EXPECT_EQ(picture.pixel(0, 0), patternAt(0, 0, false));
}

TEST_F(WebpPlugin, AnimationShowsItsFirstFrame) {
    const Bytes file = twoFrameAnimation(12, 7, {200, 30, 10, 255}, {0, 0, 255, 255});
    SpiPictureInfo info;
    ASSERT_EQ(plugin.pictureInfo(bytesOf(file), info), SPI_SUCCESS);
    EXPECT_EQ(info.width, 12);
    EXPECT_EQ(info.height, 7);

    const DecodedPicture picture = decodeOk(file);
    ASSERT_EQ(picture.width, 12);
    ASSERT_EQ(picture.height, 7);
    for (const auto& [x, y] : {std::pair{0, 0}, {11, 6}, {5, 3}})
        EXPECT_EQ(picture.pixel(x, y), (Rgba{200, 30, 10, 255})) << x << "," << y;
}

TEST_F(WebpPlugin, FirstFrameSmallerThanTheCanvasSitsAtItsOffset) {
    // Offsets in an animation are even.
    const int left = 4;
    const int top = 6;
    const Bytes file = offsetFirstFrame(21, 13, losslessPattern(7, 5, true), left, top,
                                        losslessPattern(21, 13, true));
    const DecodedPicture picture = decodeOk(file);
    ASSERT_EQ(picture.width, 21);
    ASSERT_EQ(picture.height, 13);
    ASSERT_EQ(picture.bitCount, 32);
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 21; ++x) {
            const bool inFrame = x >= left && x < left + 7 && y >= top && y < top + 5;
            const Rgba expected = inFrame ? patternAt(x - left, y - top, true) : Rgba{0, 0, 0, 0};
            ASSERT_EQ(picture.pixel(x, y), expected) << x << "," << y;
        }
}

TEST_F(WebpPlugin, CutOffOrDamagedFilesAreBrokenData) {
    const Bytes whole = lossySmooth(64, 64);
    // Cut inside the compressed picture, then inside the header.
    expectCutsFail(whole, {whole.size() / 2, 24}, SPI_BROKEN_DATA);
    const Bytes header(whole.begin(), whole.begin() + 20);
    SpiPictureInfo info;
    EXPECT_EQ(plugin.pictureInfo(bytesOf(header), info), SPI_BROKEN_DATA);

    Bytes scrambled = losslessPattern(30, 30, false);
    for (std::size_t i = 30; i < scrambled.size(); i += 3)
        scrambled[i] ^= 0x5a;
    expectDecodeFails(scrambled, spitest::AnyFailure);

    const Bytes animation = twoFrameAnimation(16, 16, {1, 2, 3, 255}, {4, 5, 6, 255});
    const Bytes cutAnimation(animation.begin(),
                             animation.begin() + std::ptrdiff_t(animation.size() / 3));
    EXPECT_EQ(plugin.decode(bytesOf(cutAnimation)).code, SPI_BROKEN_DATA);
}

TEST_F(WebpPlugin, ProgressRunsToTheEndAndCanStopTheDecode) {
    const Bytes file = losslessPattern(40, 300, false);
    expectProgressToTheEnd(file, 2);
    expectStopsAbort(file, {1, 2});
    expectStopsAbort(twoFrameAnimation(8, 200, {9, 9, 9, 255}, {1, 1, 1, 255}), {2});
}

} // namespace
