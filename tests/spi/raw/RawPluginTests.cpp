// The camera RAW plug-in, loaded as the host loads it, on DNG files written
// here with libtiff (cameras' own files are far too large to ship): the
// signatures of the RAW families, the embedded preview (plain RGB or JPEG)
// versus the half-size development, orientation, damaged files and the abort
// path.

#include "DngWriter.h"
#include "common/PluginTest.h"
#include "support/TempDir.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <tiffio.h>

namespace {

using rawtest::dngBytes;
using rawtest::DngOptions;
using rawtest::Preview;
using spitest::bytesOf;
using spitest::DecodedPicture;
using spitest::Rgba;

// The sensor sees red in its top-left quadrant and blue elsewhere; the preview
// shows green there instead, so a test can tell which of the two it got.
std::vector<std::uint8_t> sensorScene(int x, int y) {
    return x < 32 && y < 24 ? std::vector<std::uint8_t>{255, 0, 0}
                            : std::vector<std::uint8_t>{0, 0, 255};
}

rawtest::SceneSource previewScene(int width, int height) {
    return [=](int x, int y) {
        return x < width / 2 && y < height / 2 ? std::vector<std::uint8_t>{0, 255, 0}
                                               : std::vector<std::uint8_t>{0, 0, 255};
    };
}

std::vector<std::uint8_t> dng(const DngOptions& options = {}) {
    return dngBytes(sensorScene, previewScene(options.previewWidth, options.previewHeight),
                    options);
}

// Which primary dominates a pixel: 'r', 'g', 'b', or '?' when none does clearly.
char dominant(const Rgba& p) {
    if (p.r > p.g + 80 && p.r > p.b + 80)
        return 'r';
    if (p.g > p.r + 80 && p.g > p.b + 80)
        return 'g';
    if (p.b > p.r + 80 && p.b > p.g + 80)
        return 'b';
    return '?';
}

// The colours of the picture's four corners, read a few pixels inside, in the
// order top left, top right, bottom left, bottom right.
std::string corners(const DecodedPicture& picture) {
    const int inset = 3;
    return {dominant(picture.pixel(inset, inset)),
            dominant(picture.pixel(picture.width - 1 - inset, inset)),
            dominant(picture.pixel(inset, picture.height - 1 - inset)),
            dominant(picture.pixel(picture.width - 1 - inset, picture.height - 1 - inset))};
}

// A little-endian or big-endian TIFF head whose first directory holds one
// Make entry, its text stored after the directory.
std::vector<std::uint8_t> tiffWithMake(const std::string& make, bool bigEndian) {
    std::vector<std::uint8_t> head(64, 0);
    auto put16 = [&](std::size_t at, unsigned v) {
        head[at + (bigEndian ? 0 : 1)] = std::uint8_t(v >> 8);
        head[at + (bigEndian ? 1 : 0)] = std::uint8_t(v);
    };
    auto put32 = [&](std::size_t at, unsigned v) {
        put16(at + (bigEndian ? 0 : 2), v >> 16);
        put16(at + (bigEndian ? 2 : 0), v & 0xffff);
    };
    std::memcpy(head.data(), bigEndian ? "MM\0*" : "II*\0", 4);
    put32(4, 8);
    put16(8, 1);
    put16(10, 271); // Make
    put16(12, 2);   // ASCII
    put32(14, unsigned(make.size() + 1));
    put32(18, 30);
    std::memcpy(head.data() + 30, make.c_str(), make.size() + 1);
    return head;
}

std::vector<std::uint8_t> bytesFrom(const char* text, std::size_t size) {
    return {reinterpret_cast<const std::uint8_t*>(text),
            reinterpret_cast<const std::uint8_t*>(text) + size};
}

class RawPlugin : public spitest::PluginTest {};

TEST_F(RawPlugin, DescribesTheCameraFormats) {
    const auto texts = plugin.infoTexts();
    ASSERT_GE(texts.size(), 4u);
    ASSERT_EQ(texts.size() % 2, 0u);
    EXPECT_EQ(texts[0], "00IN");
    EXPECT_NE(texts[1].find("1.0"), std::string::npos);
    std::string patterns;
    for (std::size_t i = 2; i < texts.size(); i += 2) {
        patterns += texts[i] + ";";
        EXPECT_FALSE(texts[i + 1].empty());
    }
    for (const char* required :
         {"*.cr2;", "*.cr3;", "*.nef;", "*.arw;", "*.dng;", "*.orf;", "*.raf;", "*.rw2;"})
        EXPECT_NE(patterns.find(required), std::string::npos) << required;
}

TEST_F(RawPlugin, RecognisesRawSignaturesAndNotOtherFiles) {
    EXPECT_TRUE(plugin.isSupported(bytesOf(dng()), "photo.jpg"));
    EXPECT_TRUE(plugin.isSupported(bytesOf(bytesFrom("II*\0\x10\0\0\0CR\x02\0", 12)))); // CR2
    EXPECT_TRUE(plugin.isSupported(bytesOf(bytesFrom("\0\0\0\x18"
                                                     "ftypcrx ",
                                                     12))));                           // CR3
    EXPECT_TRUE(plugin.isSupported(bytesOf(bytesFrom("IIRO\x08\0\0\0", 8))));          // ORF
    EXPECT_TRUE(plugin.isSupported(bytesOf(bytesFrom("FUJIFILMCCD-RAW 0201", 20))));   // RAF
    EXPECT_TRUE(plugin.isSupported(bytesOf(bytesFrom("IIU\0\x18\0\0\0", 8))));         // RW2
    EXPECT_TRUE(plugin.isSupported(bytesOf(tiffWithMake("NIKON CORPORATION", true)))); // NEF
    EXPECT_TRUE(plugin.isSupported(bytesOf(tiffWithMake("SONY", false))));             // ARW
    // Directories after the sensor data: the head cannot tell, LibRaw can.
    const auto late = dng({.directoriesFirst = false});
    EXPECT_TRUE(plugin.isSupported(bytesOf(late), "x.dng"));
    EXPECT_EQ(plugin.decode(bytesOf(late)).code, SPI_SUCCESS);

    EXPECT_FALSE(plugin.isSupported(bytesOf(tiffWithMake("Scanner Works", false)), "x.nef"));
    EXPECT_FALSE(plugin.isSupported(bytesOf(bytesFrom("\xff\xd8\xff\xe0", 4)), "x.dng"));
    EXPECT_FALSE(plugin.isSupported(bytesOf(bytesFrom("\0\0\0\x18"
                                                      "ftypheic",
                                                      12)),
                                    "x.cr3"));
    EXPECT_FALSE(plugin.isSupported({}, "x.dng"));
    // A directory that claims more entries than fit is looked at only as far
    // as the bytes go.
    auto crowded = tiffWithMake("Nobody", false);
    crowded[8] = 0xff;
    crowded[9] = 0xff;
    EXPECT_FALSE(plugin.isSupported(bytesOf(crowded)));

    // A plain TIFF written by libtiff has no DNG version and no camera maker.
    const TempDir folder;
    const std::string path = folder.file("plain.tif").toStdString();
    {
        TIFF* tiff = TIFFOpen(path.c_str(), "w");
        ASSERT_NE(tiff, nullptr);
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 2);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 1);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        const std::uint8_t row[6] = {1, 2, 3, 4, 5, 6};
        TIFFWriteScanline(tiff, const_cast<std::uint8_t*>(row), 0, 0);
        TIFFClose(tiff);
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::vector<std::uint8_t> plain(4096);
    plain.resize(std::fread(plain.data(), 1, plain.size(), file));
    std::fclose(file);
    EXPECT_FALSE(plugin.isSupported(bytesOf(plain), "x.dng"));
    EXPECT_NE(plugin.decode(bytesOf(plain)).code, SPI_SUCCESS);
}

TEST_F(RawPlugin, WithoutAPreviewTheSensorIsDevelopedAtHalfSize) {
    const auto picture = decodeWithInfo(dng(), 32, 24, 24);
    EXPECT_EQ(corners(picture), "rbbb");
}

TEST_F(RawPlugin, AMonochromeSensorComesOutGrey) {
    // No Bayer cells to merge, so nothing shrinks; the red quadrant reads bright.
    const auto file = dng({.monochrome = true});
    SpiPictureInfo info{};
    ASSERT_EQ(plugin.pictureInfo(bytesOf(file), info), SPI_SUCCESS);
    const auto picture = plugin.decode(bytesOf(file));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.width, info.width);
    EXPECT_EQ(picture.height, info.height);
    const Rgba bright = picture.pixel(4, 4);
    const Rgba dark = picture.pixel(picture.width - 4, picture.height - 4);
    EXPECT_EQ(bright.r, bright.g);
    EXPECT_EQ(bright.g, bright.b);
    EXPECT_EQ(dark.r, dark.b);
    EXPECT_GT(bright.r, 200);
    EXPECT_LT(dark.r, 30);
}

TEST_F(RawPlugin, AnEmbeddedPreviewIsShownInstead) {
    const auto rgb = dng({.preview = Preview::Rgb});
    SpiPictureInfo info{};
    ASSERT_EQ(plugin.pictureInfo(bytesOf(rgb), info), SPI_SUCCESS);
    EXPECT_EQ(info.width, 32);
    EXPECT_EQ(info.height, 24);
    auto picture = plugin.decode(bytesOf(rgb));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.leakedHandles, 0);
    EXPECT_EQ(picture.pixel(0, 0), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(picture.pixel(31, 23), (Rgba{0, 0, 255, 255}));

    // A JPEG preview, larger than the half-size development would be.
    const auto jpeg = dng({.preview = Preview::Jpeg, .previewWidth = 48, .previewHeight = 36});
    ASSERT_EQ(plugin.pictureInfo(bytesOf(jpeg), info), SPI_SUCCESS);
    EXPECT_EQ(info.width, 48);
    EXPECT_EQ(info.height, 36);
    picture = plugin.decode(bytesOf(jpeg));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.width, 48);
    EXPECT_EQ(picture.height, 36);
    EXPECT_EQ(corners(picture), "gbbb");
}

TEST_F(RawPlugin, AThumbnailTooSmallToJudgeByIsPassedOver) {
    // 8 × 6 against a 64-pixel-wide sensor: less than a quarter of its side.
    const auto file = dng({.preview = Preview::Rgb, .previewWidth = 8, .previewHeight = 6});
    const auto picture = plugin.decode(bytesOf(file));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.width, 32);
    EXPECT_EQ(picture.height, 24);
    EXPECT_EQ(corners(picture), "rbbb");
}

// GetPictureScaled: any preview that covers the box, the JPEG one reduced
// further by the DCT; else what GetPicture gives.
TEST_F(RawPlugin, ScaledDecodeTakesThePreviewWhenItCoversTheBox) {
    const auto jpeg = dng({.preview = Preview::Jpeg, .previewWidth = 48, .previewHeight = 36});
    auto picture = plugin.decodeScaled(bytesOf(jpeg), 12, 12);
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.leakedHandles, 0);
    EXPECT_EQ(picture.width, 12); // 2/8 of the preview: 1/8 would be 6 wide
    EXPECT_EQ(picture.height, 9);
    EXPECT_EQ(corners(picture), "gbbb");

    // A thumbnail passed over for GetPicture serves a small enough box.
    const auto thumbnail = dng({.preview = Preview::Jpeg, .previewWidth = 12, .previewHeight = 9});
    picture = plugin.decodeScaled(bytesOf(thumbnail), 12, 12);
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.width, 12);
    EXPECT_EQ(picture.height, 9);
    EXPECT_EQ(corners(picture), "gbbb");
    picture = plugin.decodeScaled(bytesOf(thumbnail), 16, 16);
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(picture.width, 32);
    EXPECT_EQ(picture.height, 24);
    EXPECT_EQ(corners(picture), "rbbb");
}

TEST_F(RawPlugin, TheCameraOrientationIsAppliedOnceToEitherSource) {
    // Orientation 6: turned a quarter clockwise, so the top-left quadrant ends up top right.
    const struct {
        Preview preview;
        int width;
        int height;
        const char* corners;
    } cases[] = {{Preview::None, 24, 32, "brbb"},
                 {Preview::Rgb, 24, 32, "bgbb"},
                 {Preview::Jpeg, 24, 32, "bgbb"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.preview));
        const auto file = dng({.orientation = 6, .preview = c.preview});
        SpiPictureInfo info{};
        ASSERT_EQ(plugin.pictureInfo(bytesOf(file), info), SPI_SUCCESS);
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
        const auto picture = plugin.decode(bytesOf(file));
        ASSERT_EQ(picture.code, SPI_SUCCESS);
        EXPECT_EQ(picture.width, c.width);
        EXPECT_EQ(picture.height, c.height);
        EXPECT_EQ(corners(picture), c.corners);
    }
    // Turned half round: the quadrant ends up bottom right.
    const auto picture = plugin.decode(bytesOf(dng({.orientation = 3, .preview = Preview::Rgb})));
    ASSERT_EQ(picture.code, SPI_SUCCESS);
    EXPECT_EQ(corners(picture), "bbbg");
}

TEST_F(RawPlugin, CutOrUnusableFilesFailCleanly) {
    for (const Preview preview : {Preview::None, Preview::Jpeg}) {
        const auto file = dng({.preview = preview});
        SCOPED_TRACE(int(preview));
        expectCutsFail(file, {8, 200, file.size() / 2, file.size() - 20}, spitest::AnyFailure);
    }
    // LibRaw refuses sensors this small; the refusal must come back as an error.
    const auto tiny = dngBytes(sensorScene, sensorScene, {.width = 8, .height = 8});
    ASSERT_FALSE(tiny.empty());
    SpiPictureInfo info{};
    EXPECT_NE(plugin.pictureInfo(bytesOf(tiny), info), SPI_SUCCESS);
    EXPECT_NE(plugin.decode(bytesOf(tiny)).code, SPI_SUCCESS);
}

TEST_F(RawPlugin, StopsWhenTheHostAsks) {
    for (const Preview preview : {Preview::None, Preview::Rgb, Preview::Jpeg}) {
        const auto file = dng({.preview = preview});
        SCOPED_TRACE(int(preview));
        expectStopsAbort(file, {1, 2});
    }
}

} // namespace
