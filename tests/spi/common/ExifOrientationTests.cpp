// The EXIF orientation reader on blocks built here in both byte orders, and on
// the damaged blocks real files carry.

#include "spi/common/ExifOrientation.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace {

// A TIFF block whose first directory holds `entries` (tag, type, count, value).
struct Entry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::uint32_t value;
};

std::vector<std::uint8_t> tiffBlock(bool bigEndian, const std::vector<Entry>& entries) {
    std::vector<std::uint8_t> out;
    auto u16 = [&](std::uint16_t v) {
        if (bigEndian)
            out.insert(out.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
        else
            out.insert(out.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
    };
    auto u32 = [&](std::uint32_t v) {
        if (bigEndian) {
            u16(std::uint16_t(v >> 16));
            u16(std::uint16_t(v));
        } else {
            u16(std::uint16_t(v));
            u16(std::uint16_t(v >> 16));
        }
    };
    out.insert(out.end(), bigEndian ? std::initializer_list<std::uint8_t>{'M', 'M', 0, 42}
                                    : std::initializer_list<std::uint8_t>{'I', 'I', 42, 0});
    u32(8);
    u16(std::uint16_t(entries.size()));
    for (const Entry& e : entries) {
        u16(e.tag);
        u16(e.type);
        u32(e.count);
        // A short value sits in the first two bytes of the field.
        if (e.type == 3) {
            u16(std::uint16_t(e.value));
            u16(0);
        } else {
            u32(e.value);
        }
    }
    u32(0);
    return out;
}

TEST(ExifOrientation, ReadsTheTagInBothByteOrdersAsShortOrLong) {
    // SHORT as the standard says, LONG and SLONG as some phones write it.
    for (std::uint16_t type : {3, 4, 9}) {
        for (bool bigEndian : {false, true}) {
            for (int value = 1; value <= 8; ++value) {
                const auto block = tiffBlock(
                    bigEndian, {{0x010f, 2, 4, 0}, {0x0112, type, 1, std::uint32_t(value)}});
                EXPECT_EQ(spi::exifOrientationFromTiff(block), value) << bigEndian << type;
            }
        }
    }
}

TEST(ExifOrientation, App1PayloadNeedsTheExifPrefix) {
    auto block = tiffBlock(true, {{0x0112, 3, 1, 6}});
    std::vector<std::uint8_t> payload = {'E', 'x', 'i', 'f', 0, 0};
    payload.insert(payload.end(), block.begin(), block.end());
    EXPECT_EQ(spi::exifOrientationFromApp1(payload), 6);
    payload[0] = 'X';
    EXPECT_EQ(spi::exifOrientationFromApp1(payload), 1);
    EXPECT_EQ(spi::exifOrientationFromApp1({}), 1);
}

TEST(ExifOrientation, DamagedBlocksReadAsUpright) {
    // Missing tag, wrong type, out-of-range value.
    EXPECT_EQ(spi::exifOrientationFromTiff(tiffBlock(false, {{0x0100, 3, 1, 6}})), 1);
    EXPECT_EQ(spi::exifOrientationFromTiff(tiffBlock(false, {{0x0112, 2, 1, 6}})), 1);
    EXPECT_EQ(spi::exifOrientationFromTiff(tiffBlock(false, {{0x0112, 3, 1, 9}})), 1);
    EXPECT_EQ(spi::exifOrientationFromTiff(tiffBlock(true, {{0x0112, 4, 1, 0x10006}})), 1);
    EXPECT_EQ(spi::exifOrientationFromTiff(tiffBlock(false, {{0x0112, 3, 0, 6}})), 1);

    auto block = tiffBlock(false, {{0x0100, 3, 1, 1}, {0x0112, 3, 1, 8}});
    // Every truncation of a valid block stays within it and never invents a value.
    for (std::size_t size = 0; size < block.size(); ++size) {
        const int found = spi::exifOrientationFromTiff({block.data(), size});
        EXPECT_TRUE(found == 1 || found == 8) << size;
    }
    // A directory offset past the end, and an entry count far beyond the block.
    auto farOffset = block;
    farOffset[4] = 0xf0;
    farOffset[7] = 0x7f;
    EXPECT_EQ(spi::exifOrientationFromTiff(farOffset), 1);
    auto hugeCount = tiffBlock(false, {{0x0100, 3, 1, 1}});
    hugeCount[8] = 0xff;
    hugeCount[9] = 0xff;
    EXPECT_EQ(spi::exifOrientationFromTiff(hugeCount), 1);
    EXPECT_EQ(spi::exifOrientationFromTiff(std::vector<std::uint8_t>{'I', 'I', 43, 0, 8, 0, 0, 0}),
              1);
}

} // namespace
