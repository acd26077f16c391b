#include "common/PluginTest.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <tiffio.h>
#include <vector>

using spitest::bytesOf;
using spitest::DecodedPicture;
using spitest::Rgba;

namespace {

using Bytes = std::vector<std::uint8_t>;
// The value of sample `channel` at stored pixel (x, y).
using SampleFunction = std::function<std::uint32_t(int x, int y, int channel)>;

struct Page {
    int width = 1;
    int height = 1;
    int bitsPerSample = 8;
    int samplesPerPixel = 3;
    int photometric = PHOTOMETRIC_RGB;
    int compression = COMPRESSION_NONE;
    int rowsPerStrip = 0; // 0: libtiff's default
    int tileSize = 0;     // above 0: square tiles instead of strips
    bool separatePlanes = false;
    int extraSample = -1; // EXTRASAMPLE_ASSOCALPHA or _UNASSALPHA for the last sample
    int orientation = ORIENTATION_TOPLEFT;
    float xResolution = 0;
    int resolutionUnit = RESUNIT_INCH;
    std::vector<std::uint16_t> colourMap; // red, green, blue tables one after the other
    SampleFunction sample;
};

// Packs the samples of one row (or one plane of it) at the page's bit depth.
std::vector<std::uint8_t> packRow(const Page& page, int y, int x0, int count, int firstChannel,
                                  int channels) {
    const std::size_t values = std::size_t(count) * std::size_t(channels);
    std::vector<std::uint8_t> row((values * std::size_t(page.bitsPerSample) + 7) / 8, 0);
    std::size_t index = 0;
    for (int x = x0; x < x0 + count; ++x)
        for (int c = firstChannel; c < firstChannel + channels; ++c, ++index) {
            const std::uint32_t v = x < page.width && y < page.height ? page.sample(x, y, c) : 0;
            if (page.bitsPerSample == 16) {
                const std::uint16_t word = std::uint16_t(v);
                std::memcpy(&row[index * 2], &word, 2);
            } else if (page.bitsPerSample == 8) {
                row[index] = std::uint8_t(v);
            } else if (v) {
                row[index / 8] |= std::uint8_t(0x80 >> (index % 8));
            }
        }
    return row;
}

void writePage(TIFF* tiff, const Page& page) {
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, std::uint32_t(page.width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, std::uint32_t(page.height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, page.bitsPerSample);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, page.samplesPerPixel);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, page.photometric);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, page.compression);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, page.orientation);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG,
                 page.separatePlanes ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    if (page.extraSample >= 0) {
        const std::uint16_t extra = std::uint16_t(page.extraSample);
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (page.xResolution > 0) {
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, page.xResolution);
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, page.xResolution / 2);
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, page.resolutionUnit);
    }
    if (!page.colourMap.empty()) {
        const std::size_t n = page.colourMap.size() / 3;
        TIFFSetField(tiff, TIFFTAG_COLORMAP, page.colourMap.data(), page.colourMap.data() + n,
                     page.colourMap.data() + 2 * n);
    }
    if (page.compression == COMPRESSION_JPEG) {
        TIFFSetField(tiff, TIFFTAG_JPEGQUALITY, 95);
        TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }

    const int planes = page.separatePlanes ? page.samplesPerPixel : 1;
    const int perPlane = page.separatePlanes ? 1 : page.samplesPerPixel;
    if (page.tileSize > 0) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, std::uint32_t(page.tileSize));
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, std::uint32_t(page.tileSize));
        for (int plane = 0; plane < planes; ++plane)
            for (int ty = 0; ty < page.height; ty += page.tileSize)
                for (int tx = 0; tx < page.width; tx += page.tileSize) {
                    std::vector<std::uint8_t> tile;
                    for (int y = ty; y < ty + page.tileSize; ++y) {
                        const auto row = packRow(page, y, tx, page.tileSize, plane, perPlane);
                        tile.insert(tile.end(), row.begin(), row.end());
                    }
                    ASSERT_GE(TIFFWriteTile(tiff, tile.data(), std::uint32_t(tx), std::uint32_t(ty),
                                            0, std::uint16_t(plane)),
                              0);
                }
    } else {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP,
                     page.rowsPerStrip > 0 ? std::uint32_t(page.rowsPerStrip)
                                           : TIFFDefaultStripSize(tiff, 0));
        for (int plane = 0; plane < planes; ++plane)
            for (int y = 0; y < page.height; ++y) {
                auto row = packRow(page, y, 0, page.width, plane, perPlane);
                ASSERT_EQ(
                    TIFFWriteScanline(tiff, row.data(), std::uint32_t(y), std::uint16_t(plane)), 1);
            }
    }
    ASSERT_TRUE(TIFFWriteDirectory(tiff));
}

// Writes the pages with libtiff into a temporary file and returns its bytes.
Bytes tiffFile(const std::vector<Page>& pages, const char* mode = "w") {
    TempDir dir;
    const QString path = dir.file("picture.tif");
    TIFF* tiff = TIFFOpen(path.toLocal8Bit().constData(), mode);
    EXPECT_NE(tiff, nullptr);
    if (!tiff)
        return {};
    for (const Page& page : pages)
        writePage(tiff, page);
    TIFFClose(tiff);
    const QByteArray bytes = readAll(path);
    return Bytes(bytes.begin(), bytes.end());
}

Bytes tiffFile(const Page& page, const char* mode = "w") {
    return tiffFile(std::vector<Page>{page}, mode);
}

// A different colour at every pixel, so a misplaced row or column shows.
std::uint32_t pattern(int x, int y, int channel) {
    switch (channel) {
    case 0:
        return std::uint32_t(x * 37 + y * 11) & 0xff;
    case 1:
        return std::uint32_t(y * 53 + 7) & 0xff;
    case 2:
        return std::uint32_t(x * 5 + y * 3 + 90) & 0xff;
    default:
        return 128 + std::uint32_t(x * 7 + y) % 128; // alpha, at least half opaque
    }
}

Rgba patternColour(int x, int y) {
    return {int(pattern(x, y, 0)), int(pattern(x, y, 1)), int(pattern(x, y, 2)), 255};
}

Page rgbPage(int width, int height) {
    Page page;
    page.width = width;
    page.height = height;
    page.sample = pattern;
    return page;
}

bool near(const Rgba& actual, const Rgba& expected, int tolerance) {
    return std::abs(actual.r - expected.r) <= tolerance &&
           std::abs(actual.g - expected.g) <= tolerance &&
           std::abs(actual.b - expected.b) <= tolerance &&
           std::abs(actual.a - expected.a) <= tolerance;
}

class TiffPlugin : public spitest::PluginTest {
protected:
    // Every pixel of `picture` against `expected` (upright coordinates).
    static void expectPixels(const DecodedPicture& picture, int width, int height, int tolerance,
                             const std::function<Rgba(int, int)>& expected) {
        ASSERT_EQ(picture.width, width);
        ASSERT_EQ(picture.height, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_TRUE(near(picture.pixel(x, y), expected(x, y), tolerance))
                    << "at " << x << "," << y << ": " << picture.pixel(x, y).r << " "
                    << picture.pixel(x, y).g << " " << picture.pixel(x, y).b << " "
                    << picture.pixel(x, y).a;
    }
};

TEST_F(TiffPlugin, DeclaresAnImportFilterForTiffFiles) {
    const std::vector<std::string> texts = plugin.infoTexts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "00IN");
    EXPECT_NE(texts[1].find("TIFF"), std::string::npos);
    EXPECT_EQ(texts[2], "*.tif;*.tiff");
    EXPECT_FALSE(texts[3].empty());
}

TEST_F(TiffPlugin, RecognisesTiffByContentNotByName) {
    const Bytes little = tiffFile(rgbPage(4, 4));
    ASSERT_EQ(little[0], 'I');
    EXPECT_TRUE(plugin.isSupported(bytesOf(little), "scan.png"));
    EXPECT_TRUE(plugin.isSupported(bytesOf(tiffFile(rgbPage(4, 4), "wb"))));
    EXPECT_TRUE(plugin.isSupported(bytesOf(tiffFile(rgbPage(4, 4), "w8"))));

    const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    const Bytes almost = {'I', 'I', 42, 1, 8, 0, 0, 0};
    const Bytes mixedOrder = {'I', 'M', 42, 0, 8, 0, 0, 0};
    for (const Bytes& other : {png, almost, mixedOrder}) {
        EXPECT_FALSE(plugin.isSupported(bytesOf(other), "scan.tif"));
        SpiPictureInfo info;
        EXPECT_EQ(plugin.pictureInfo(bytesOf(other), info), SPI_UNKNOWN_FORMAT);
        EXPECT_EQ(plugin.decode(bytesOf(other)).code, SPI_UNKNOWN_FORMAT);
    }
}

TEST_F(TiffPlugin, ReportsSizeDepthAndDensity) {
    Page page = rgbPage(37, 23);
    page.bitsPerSample = 16;
    page.xResolution = 300;
    SpiPictureInfo info;
    ASSERT_EQ(plugin.pictureInfo(bytesOf(tiffFile(page)), info), SPI_SUCCESS);
    EXPECT_EQ(info.width, 37);
    EXPECT_EQ(info.height, 23);
    EXPECT_EQ(info.color_depth, 48);
    EXPECT_EQ(info.x_density, 300);
    EXPECT_EQ(info.y_density, 150);

    page.bitsPerSample = 8;
    page.xResolution = 100; // per centimetre
    page.resolutionUnit = RESUNIT_CENTIMETER;
    ASSERT_EQ(plugin.pictureInfo(bytesOf(tiffFile(page)), info), SPI_SUCCESS);
    EXPECT_EQ(info.color_depth, 24);
    EXPECT_EQ(info.x_density, 254);
    EXPECT_EQ(info.y_density, 127);
}

TEST_F(TiffPlugin, EveryLosslessCompressionGivesTheExactPixels) {
    for (const int compression : {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE,
                                  COMPRESSION_PACKBITS, COMPRESSION_ZSTD, COMPRESSION_LZMA}) {
        if (!TIFFIsCODECConfigured(std::uint16_t(compression)))
            continue;
        SCOPED_TRACE(compression);
        Page page = rgbPage(37, 23);
        page.compression = compression;
        page.rowsPerStrip = 5;
        expectPixels(decodeOk(tiffFile(page)), 37, 23, 0, patternColour);
    }
}

TEST_F(TiffPlugin, TilesAndSeparatePlanesAndByteOrders) {
    Page tiled = rgbPage(40, 35); // partial tiles at the right and bottom
    tiled.tileSize = 16;
    tiled.compression = COMPRESSION_LZW;
    expectPixels(decodeOk(tiffFile(tiled)), 40, 35, 0, patternColour);

    Page planar = rgbPage(21, 13);
    planar.separatePlanes = true;
    expectPixels(decodeOk(tiffFile(planar)), 21, 13, 0, patternColour);

    expectPixels(decodeOk(tiffFile(rgbPage(9, 7), "wb")), 9, 7, 0, patternColour);
    expectPixels(decodeOk(tiffFile(rgbPage(9, 7), "w8")), 9, 7, 0, patternColour);
}

TEST_F(TiffPlugin, JpegCompressedPageStaysClose) {
    Page page;
    page.width = 64;
    page.height = 48;
    page.photometric = PHOTOMETRIC_YCBCR;
    page.compression = COMPRESSION_JPEG;
    page.rowsPerStrip = 16;
    const auto smooth = [](int x, int y) { return Rgba{x * 4, y * 5, 128, 255}; };
    page.sample = [&](int x, int y, int c) {
        const Rgba colour = smooth(x, y);
        return std::uint32_t(c == 0 ? colour.r : c == 1 ? colour.g : colour.b);
    };
    if (!TIFFIsCODECConfigured(COMPRESSION_JPEG))
        GTEST_SKIP() << "libtiff without JPEG";
    expectPixels(decodeOk(tiffFile(page)), 64, 48, 12, smooth);
}

TEST_F(TiffPlugin, SixteenBitGreyPaletteBilevelAndCmykComeOutRight) {
    Page deep = rgbPage(11, 6);
    deep.bitsPerSample = 16;
    deep.sample = [](int x, int y, int c) {
        return std::min(pattern(x, y, c) * 257 + 100, 65535u);
    };
    DecodedPicture picture = decodeOk(tiffFile(deep));
    EXPECT_EQ(picture.bitCount, 24);
    expectPixels(picture, 11, 6, 1, patternColour);

    Page grey = rgbPage(10, 5);
    grey.samplesPerPixel = 1;
    grey.photometric = PHOTOMETRIC_MINISBLACK;
    const auto greyLevel = [](int x, int) { return Rgba{x * 25, x * 25, x * 25, 255}; };
    grey.sample = [](int x, int, int) { return std::uint32_t(x * 25); };
    expectPixels(decodeOk(tiffFile(grey)), 10, 5, 0, greyLevel);
    grey.bitsPerSample = 16;
    grey.sample = [](int x, int, int) { return std::uint32_t(x * 25 * 257); };
    expectPixels(decodeOk(tiffFile(grey)), 10, 5, 1, greyLevel);

    Page bilevel = rgbPage(13, 3);
    bilevel.samplesPerPixel = 1;
    bilevel.bitsPerSample = 1;
    bilevel.photometric = PHOTOMETRIC_MINISWHITE;
    bilevel.compression = COMPRESSION_CCITTFAX4;
    bilevel.sample = [](int x, int y, int) { return std::uint32_t((x + y) % 3 == 0); };
    expectPixels(decodeOk(tiffFile(bilevel)), 13, 3, 0, [](int x, int y) {
        const int v = (x + y) % 3 == 0 ? 0 : 255;
        return Rgba{v, v, v, 255};
    });

    Page palette = rgbPage(16, 2);
    palette.samplesPerPixel = 1;
    palette.photometric = PHOTOMETRIC_PALETTE;
    const auto paletteColour = [](int index) {
        return Rgba{index * 16, 255 - index * 16, (index * 80) % 256, 255};
    };
    palette.colourMap.assign(3 * 256, 0);
    for (int i = 0; i < 256; ++i) {
        const Rgba c = paletteColour(i % 16);
        palette.colourMap[std::size_t(i)] = std::uint16_t(c.r * 257);
        palette.colourMap[std::size_t(256 + i)] = std::uint16_t(c.g * 257);
        palette.colourMap[std::size_t(512 + i)] = std::uint16_t(c.b * 257);
    }
    palette.sample = [](int x, int y, int) { return std::uint32_t((x + y) % 16); };
    expectPixels(decodeOk(tiffFile(palette)), 16, 2, 0,
                 [&](int x, int y) { return paletteColour((x + y) % 16); });

    Page cmyk = rgbPage(8, 4);
    cmyk.samplesPerPixel = 4;
    cmyk.photometric = PHOTOMETRIC_SEPARATED;
    cmyk.sample = [](int x, int y, int c) {
        return std::uint32_t(c == 3 ? y * 40 : (x * 30 + c * 20) % 256);
    };
    expectPixels(decodeOk(tiffFile(cmyk)), 8, 4, 1, [](int x, int y) {
        const int paper = 255 - y * 40;
        auto ink = [&](int c) { return (255 - (x * 30 + c * 20) % 256) * paper / 255; };
        return Rgba{ink(0), ink(1), ink(2), 255};
    });
}

TEST_F(TiffPlugin, SixteenBitCmykInStripsTilesAndPlanes) {
    const auto ink = [](int x, int y, int c) {
        return std::uint32_t(c == 3 ? y * 20 : (x * 9 + c * 50) % 256);
    };
    const auto expected = [&](int x, int y) {
        const int paper = 255 - int(ink(x, y, 3));
        auto colour = [&](int c) { return (255 - int(ink(x, y, c))) * paper / 255; };
        return Rgba{colour(0), colour(1), colour(2), 255};
    };
    Page page = rgbPage(23, 11);
    page.bitsPerSample = 16;
    page.samplesPerPixel = 4;
    page.photometric = PHOTOMETRIC_SEPARATED;
    page.compression = COMPRESSION_LZW;
    page.rowsPerStrip = 3;
    page.sample = [&](int x, int y, int c) { return ink(x, y, c) * 257; };
    expectPixels(decodeOk(tiffFile(page)), 23, 11, 1, expected);

    Page tiledPlanes = page;
    tiledPlanes.tileSize = 16;
    tiledPlanes.separatePlanes = true;
    tiledPlanes.orientation = ORIENTATION_BOTLEFT;
    expectPixels(decodeOk(tiffFile(tiledPlanes)), 23, 11, 1,
                 [&](int x, int y) { return expected(x, 10 - y); });

    Page stripPlanes = page;
    stripPlanes.separatePlanes = true;
    const Bytes file = tiffFile(stripPlanes);
    expectPixels(decodeOk(file), 23, 11, 1, expected);
    // The strips come first in the file; damage them and keep the directory.
    Bytes damaged = file;
    std::fill(damaged.begin() + 8, damaged.begin() + std::ptrdiff_t(file.size() / 2), 0xff);
    expectDecodeFails(damaged, SPI_BROKEN_DATA);
}

TEST_F(TiffPlugin, AlphaComesOutStraightInThirtyTwoBits) {
    Page straight = rgbPage(12, 9);
    straight.samplesPerPixel = 4;
    straight.extraSample = EXTRASAMPLE_UNASSALPHA;
    const auto withAlpha = [](int x, int y) {
        Rgba c = patternColour(x, y);
        c.a = int(pattern(x, y, 3));
        return c;
    };
    DecodedPicture picture = decodeOk(tiffFile(straight));
    EXPECT_EQ(picture.bitCount, 32);
    expectPixels(picture, 12, 9, 1, withAlpha);

    // Associated alpha stores colours already multiplied by alpha.
    Page premultiplied = straight;
    premultiplied.extraSample = EXTRASAMPLE_ASSOCALPHA;
    premultiplied.sample = [](int x, int y, int c) {
        const std::uint32_t alpha = pattern(x, y, 3);
        return c == 3 ? alpha : (pattern(x, y, c) * alpha + 127) / 255;
    };
    picture = decodeOk(tiffFile(premultiplied));
    EXPECT_EQ(picture.bitCount, 32);
    expectPixels(picture, 12, 9, 2, withAlpha);
}

TEST_F(TiffPlugin, OrientationTagTurnsThePicture) {
    const int w = 7;
    const int h = 4;
    struct Case {
        int orientation;
        int width;
        int height;
        std::function<Rgba(int, int)> expected; // upright (x, y) to stored colour
    };
    const std::vector<Case> cases = {
        {ORIENTATION_BOTRIGHT, w, h,
         [&](int x, int y) { return patternColour(w - 1 - x, h - 1 - y); }},
        {ORIENTATION_BOTLEFT, w, h, [&](int x, int y) { return patternColour(x, h - 1 - y); }},
        // Stored rows become columns, read from the right.
        {ORIENTATION_RIGHTTOP, h, w, [&](int x, int y) { return patternColour(y, h - 1 - x); }},
        {ORIENTATION_LEFTBOT, h, w, [&](int x, int y) { return patternColour(w - 1 - y, x); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        Page page = rgbPage(w, h);
        page.orientation = c.orientation;
        const Bytes file = tiffFile(page);
        SpiPictureInfo info;
        ASSERT_EQ(plugin.pictureInfo(bytesOf(file), info), SPI_SUCCESS);
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
        expectPixels(decodeOk(file), c.width, c.height, 0, c.expected);
    }
}

TEST_F(TiffPlugin, FirstPageOfSeveralAndOnePixelPicture) {
    Page second = rgbPage(30, 30);
    second.sample = [](int, int, int) { return 255u; };
    const Bytes file = tiffFile({rgbPage(5, 3), second});
    SpiPictureInfo info;
    ASSERT_EQ(plugin.pictureInfo(bytesOf(file), info), SPI_SUCCESS);
    EXPECT_EQ(info.width, 5);
    expectPixels(decodeOk(file), 5, 3, 0, patternColour);

    expectPixels(decodeOk(tiffFile(rgbPage(1, 1))), 1, 1, 0, patternColour);
}

TEST_F(TiffPlugin, CutOffOrUnreadableFilesFailQuietlyFloatsDecode) {
    Page page = rgbPage(50, 40);
    page.compression = COMPRESSION_LZW;
    page.rowsPerStrip = 4;
    const Bytes whole = tiffFile(page);
    // libtiff writes the strips first and the directory last.
    const Bytes noDirectory(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() / 2));
    const Bytes headerOnly(whole.begin(), whole.begin() + 8);
    Bytes lostStrips = whole;
    std::fill(lostStrips.begin() + 8, lostStrips.begin() + std::ptrdiff_t(whole.size() / 2), 0xff);

    // Sample format is not among Page's fields: these are written by hand. A
    // transparency mask is no picture of its own and is refused.
    auto floatFile = [](int photometric) {
        TempDir dir;
        const QString path = dir.file("float.tif");
        TIFF* tiff = TIFFOpen(path.toLocal8Bit().constData(), "w");
        EXPECT_NE(tiff, nullptr);
        if (!tiff)
            return Bytes{};
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 4u);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 1u);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 32);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, photometric);
        float row[4] = {0.f, 0.25f, 0.5f, 1.f};
        EXPECT_EQ(TIFFWriteScanline(tiff, row, 0, 0), 1);
        TIFFClose(tiff);
        const QByteArray bytes = readAll(path);
        return Bytes(bytes.begin(), bytes.end());
    };
    const Bytes greyFloats = floatFile(PHOTOMETRIC_MINISBLACK);
    const Bytes maskFloats = floatFile(PHOTOMETRIC_MASK);

    testing::internal::CaptureStderr();
    const DecodedPicture cut = plugin.decode(bytesOf(noDirectory));
    SpiPictureInfo info;
    const std::int32_t headerOnlyInfo = plugin.pictureInfo(bytesOf(headerOnly), info);
    const DecodedPicture lost = plugin.decode(bytesOf(lostStrips));
    const DecodedPicture floating = plugin.decode(bytesOf(greyFloats));
    const DecodedPicture mask = plugin.decode(bytesOf(maskFloats));
    const std::string printed = testing::internal::GetCapturedStderr();

    EXPECT_EQ(cut.code, SPI_BROKEN_DATA);
    EXPECT_EQ(headerOnlyInfo, SPI_BROKEN_DATA);
    EXPECT_EQ(lost.code, SPI_BROKEN_DATA);
    EXPECT_EQ(mask.code, SPI_UNKNOWN_FORMAT);
    expectPixels(floating, 4, 1, 0, [](int x, int) {
        const int level = x == 0 ? 0 : x == 1 ? 64 : x == 2 ? 128 : 255;
        return Rgba{level, level, level, 255};
    });
    for (const DecodedPicture& picture : {cut, lost, floating, mask})
        EXPECT_EQ(picture.leakedHandles, 0);
    EXPECT_EQ(printed, "");
}

// LogLuv declares signed or floating-point samples, yet is libtiff's to turn
// into colours: a grey ramp comes out rising from black.
TEST_F(TiffPlugin, LogLuvDecodesThroughLibtiff) {
    TempDir dir;
    const QString path = dir.file("logluv.tif");
    TIFF* tiff = TIFFOpen(path.toLocal8Bit().constData(), "w");
    ASSERT_NE(tiff, nullptr);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 16u);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 1u);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 32);
    TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_LOGLUV);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_SGILOG);
    TIFFSetField(tiff, TIFFTAG_SGILOGDATAFMT, SGILOGDATAFMT_FLOAT);
    std::vector<float> xyz;
    for (int x = 0; x < 16; ++x)
        xyz.insert(xyz.end(), {0.95f * float(x) / 15, float(x) / 15, 1.09f * float(x) / 15});
    ASSERT_EQ(TIFFWriteScanline(tiff, xyz.data(), 0, 0), 1);
    TIFFClose(tiff);
    const QByteArray bytes = readAll(path);

    const DecodedPicture picture = decodeOk(bytesOf(Bytes(bytes.begin(), bytes.end())));
    ASSERT_EQ(picture.width, 16);
    EXPECT_EQ(picture.pixel(0, 0).g, 0);
    for (int x = 1; x < 16; ++x)
        EXPECT_GT(picture.pixel(x, 0).g, picture.pixel(x - 1, 0).g) << x;
}

TEST_F(TiffPlugin, ProgressRunsToTheEndAndCanStopTheDecode) {
    Page page = rgbPage(30, 400);
    page.rowsPerStrip = 8;
    const Bytes file = tiffFile(page);

    expectProgressToTheEnd(file, 5);
    expectStopsAbort(file, {1, 3});
}

} // namespace
