// The bitmap builder: layout of the handles, pixel conversions and the eight
// orientations applied while rows arrive.

#include "spi/common/DibBuilder.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Bitmap {
    SpiBitmapInfoHeader header{};
    std::vector<std::uint8_t> rows;
    std::size_t stride = 0;

    // Blue, green, red (, alpha) of the upright pixel (x, y).
    [[nodiscard]] std::array<int, 4> at(int x, int y) const {
        const int bytes = header.bit_count / 8;
        const std::uint8_t* p =
            rows.data() + std::size_t(header.height - 1 - y) * stride + std::size_t(x * bytes);
        return {p[0], p[1], p[2], bytes == 4 ? p[3] : -1};
    }
};

Bitmap take(spi::DibBuilder& builder) {
    HLOCAL info = nullptr;
    HLOCAL bits = nullptr;
    builder.release(&info, &bits);
    Bitmap bitmap;
    std::memcpy(&bitmap.header, LocalLock(info), sizeof bitmap.header);
    bitmap.stride = std::size_t((bitmap.header.width * bitmap.header.bit_count + 31) / 32 * 4);
    const auto* data = static_cast<const std::uint8_t*>(LocalLock(bits));
    bitmap.rows.assign(data, data + LocalSize(bits));
    LocalFree(info);
    LocalFree(bits);
    return bitmap;
}

TEST(DibBuilder, HeaderAndPaddedBottomUpRows) {
    const std::size_t live = SpiLiveHandleCount();
    spi::DibBuilder builder;
    ASSERT_EQ(builder.start(3, 2, false), SPI_SUCCESS);
    const std::uint8_t top[] = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    const std::uint8_t bottom[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    builder.putRow(0, top, spi::PixelFormat::Rgb8);
    builder.putRow(1, bottom, spi::PixelFormat::Rgb8);
    const Bitmap bitmap = take(builder);

    EXPECT_EQ(bitmap.header.size, 40u);
    EXPECT_EQ(bitmap.header.width, 3);
    EXPECT_EQ(bitmap.header.height, 2);
    EXPECT_EQ(bitmap.header.planes, 1);
    EXPECT_EQ(bitmap.header.bit_count, 24);
    EXPECT_EQ(bitmap.header.compression, SPI_BI_RGB);
    ASSERT_EQ(bitmap.rows.size(), 24u); // 9 bytes a row, padded to 12
    // The first stored row is the bottom one, in blue-green-red order.
    EXPECT_EQ(bitmap.rows[0], 3);
    EXPECT_EQ(bitmap.rows[2], 1);
    EXPECT_EQ(bitmap.rows[9], 0); // padding is zeroed
    EXPECT_EQ((bitmap.at(2, 0)), (std::array<int, 4>{90, 80, 70, -1}));
    EXPECT_EQ(SpiLiveHandleCount(), live);
}

TEST(DibBuilder, ConvertsEveryPixelFormat) {
    struct Case {
        spi::PixelFormat format;
        std::vector<std::uint8_t> pixel;
        std::array<int, 4> bgra;
    };
    auto words = [](std::initializer_list<std::uint16_t> values) {
        std::vector<std::uint8_t> bytes(values.size() * 2);
        std::memcpy(bytes.data(), std::data(values), bytes.size());
        return bytes;
    };
    const std::vector<Case> cases = {
        {spi::PixelFormat::Rgb8, {200, 100, 50}, {50, 100, 200, 255}},
        {spi::PixelFormat::Rgba8, {200, 100, 50, 7}, {50, 100, 200, 7}},
        {spi::PixelFormat::Bgr8, {50, 100, 200}, {50, 100, 200, 255}},
        {spi::PixelFormat::Bgra8, {50, 100, 200, 9}, {50, 100, 200, 9}},
        {spi::PixelFormat::Grey8, {77}, {77, 77, 77, 255}},
        {spi::PixelFormat::GreyAlpha8, {77, 128}, {77, 77, 77, 128}},
        {spi::PixelFormat::Rgb16, words({0xffff, 0x8080, 0x0000}), {0, 128, 255, 255}},
        {spi::PixelFormat::Rgba16, words({0, 0, 0x0101, 0x7f7f}), {1, 0, 0, 127}},
        {spi::PixelFormat::Grey16, words({0x4040}), {64, 64, 64, 255}},
        {spi::PixelFormat::GreyAlpha16, words({0xffff, 0}), {255, 255, 255, 0}},
        // Half cyan ink on white paper, and full black ink.
        {spi::PixelFormat::Cmyk8, {128, 0, 0, 0}, {255, 255, 127, 255}},
        {spi::PixelFormat::Cmyk8, {0, 0, 0, 255}, {0, 0, 0, 255}},
        // Inverted: 255 means no ink.
        {spi::PixelFormat::InvertedCmyk8, {127, 255, 255, 255}, {255, 255, 127, 255}},
        {spi::PixelFormat::InvertedCmyk8, {255, 255, 255, 0}, {0, 0, 0, 255}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(int(c.pixel.size()), spi::bytesPerPixel(c.format));
        spi::DibBuilder withAlpha;
        ASSERT_EQ(withAlpha.start(1, 1, true), SPI_SUCCESS);
        withAlpha.putRow(0, c.pixel.data(), c.format);
        EXPECT_EQ(take(withAlpha).at(0, 0), c.bgra) << int(c.format);

        spi::DibBuilder opaque;
        ASSERT_EQ(opaque.start(1, 1, false), SPI_SUCCESS);
        opaque.putRow(0, c.pixel.data(), c.format);
        auto expected = c.bgra;
        expected[3] = -1;
        EXPECT_EQ(take(opaque).at(0, 0), expected) << int(c.format);
    }
}

// A 3 × 2 stored picture whose pixels carry their own coordinates; each
// orientation must put the stored corners where EXIF says they are seen.
TEST(DibBuilder, PlacesRowsForEveryOrientation) {
    struct Case {
        int orientation;
        std::array<int, 2> topLeftAt;  // where stored (0,0) appears
        std::array<int, 2> topRightAt; // where stored (2,0) appears
    };
    const Case cases[] = {
        {1, {0, 0}, {2, 0}}, {2, {2, 0}, {0, 0}}, {3, {2, 1}, {0, 1}}, {4, {0, 1}, {2, 1}},
        {5, {0, 0}, {0, 2}}, {6, {1, 0}, {1, 2}}, {7, {1, 2}, {1, 0}}, {8, {0, 2}, {0, 0}},
    };
    for (const Case& c : cases) {
        spi::DibBuilder builder;
        ASSERT_EQ(builder.start(3, 2, false, c.orientation), SPI_SUCCESS);
        const bool turned = c.orientation >= 5;
        EXPECT_EQ(builder.width(), turned ? 2u : 3u);
        EXPECT_EQ(builder.height(), turned ? 3u : 2u);
        EXPECT_EQ(builder.directRow(0) != nullptr, c.orientation == 1);
        for (std::uint8_t y = 0; y < 2; ++y) {
            const std::uint8_t row[] = {0, y, 1, 1, y, 1, 2, y, 1};
            builder.putRow(y, row, spi::PixelFormat::Rgb8);
        }
        const Bitmap bitmap = take(builder);
        // Every stored pixel lands exactly once: red = x, green = y, blue = 1.
        int seen = 0;
        for (int y = 0; y < bitmap.header.height; ++y)
            for (int x = 0; x < bitmap.header.width; ++x)
                seen += bitmap.at(x, y)[0] == 1;
        EXPECT_EQ(seen, 6) << c.orientation;
        EXPECT_EQ(bitmap.at(c.topLeftAt[0], c.topLeftAt[1]), (std::array<int, 4>{1, 0, 0, -1}))
            << c.orientation;
        EXPECT_EQ(bitmap.at(c.topRightAt[0], c.topRightAt[1]), (std::array<int, 4>{1, 0, 2, -1}))
            << c.orientation;
    }
}

TEST(DibBuilder, DirectRowsAreTheBitmapRows) {
    spi::DibBuilder builder;
    ASSERT_EQ(builder.start(2, 2, true), SPI_SUCCESS);
    std::uint8_t* top = builder.directRow(0);
    ASSERT_NE(top, nullptr);
    const std::uint8_t bgra[] = {1, 2, 3, 4, 5, 6, 7, 8};
    std::memcpy(top, bgra, sizeof bgra);
    EXPECT_EQ(builder.directRow(2), nullptr);
    const Bitmap bitmap = take(builder);
    EXPECT_EQ(bitmap.header.bit_count, 32);
    EXPECT_EQ(bitmap.at(1, 0), (std::array<int, 4>{5, 6, 7, 8}));
}

TEST(DibBuilder, RefusesEmptyAndOversizedPicturesWithoutAllocating) {
    const std::size_t live = SpiLiveHandleCount();
    spi::DibBuilder builder;
    EXPECT_EQ(builder.start(0, 10, false), SPI_BROKEN_DATA);
    EXPECT_EQ(builder.start(10, 0, false), SPI_BROKEN_DATA);
    EXPECT_EQ(builder.start(65536, 65536, false), SPI_NO_MEMORY);
    EXPECT_EQ(builder.start(0xffffffffu, 1, false), SPI_NO_MEMORY);
    EXPECT_EQ(SpiLiveHandleCount(), live);

    SpiPictureInfo info{};
    EXPECT_EQ(spi::fillPictureInfo(&info, 40000, 40000, 24, 1), SPI_NO_MEMORY);
    EXPECT_EQ(info.width, 0);
    EXPECT_EQ(spi::fillPictureInfo(&info, 40, 30, 24, 6), SPI_SUCCESS);
    EXPECT_EQ(info.width, 30);
    EXPECT_EQ(info.height, 40);
    EXPECT_EQ(info.color_depth, 24);
}

TEST(DibBuilder, UnreleasedHandlesAreFreed) {
    const std::size_t live = SpiLiveHandleCount();
    {
        spi::DibBuilder builder;
        ASSERT_EQ(builder.start(4, 4, false), SPI_SUCCESS);
        EXPECT_EQ(SpiLiveHandleCount(), live + 2);
    }
    EXPECT_EQ(SpiLiveHandleCount(), live);
}

} // namespace
