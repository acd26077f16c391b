// The information table, the progress reporter, input loading and the checked
// size arithmetic.

#include "spi/common/Input.h"
#include "spi/common/PluginInfoTable.h"
#include "spi/common/Progress.h"
#include "spi/common/SizeMath.h"
#include "support/TempDir.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <string_view>
#include <vector>

namespace {

TEST(PluginInfoTable, CopiesEntriesAndEndsAfterTheLast) {
    const std::array<std::string_view, 4> table = {"00IN", "Test 1.0", "*.a;*.b", "Ä files"};
    char buffer[256];
    EXPECT_EQ(spi::copyPluginInfo(table, 0, buffer, 255), 4);
    EXPECT_STREQ(buffer, "00IN");
    EXPECT_EQ(spi::copyPluginInfo(table, 2, buffer, 255), 7);
    EXPECT_STREQ(buffer, "*.a;*.b");
    EXPECT_EQ(spi::copyPluginInfo(table, 4, buffer, 255), 0);
    EXPECT_EQ(spi::copyPluginInfo(table, -1, buffer, 255), 0);
    EXPECT_EQ(spi::copyPluginInfo(table, 0, nullptr, 255), 0);

    // A short buffer gets a cut, terminated text that never splits a character.
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(spi::copyPluginInfo(table, 1, buffer, 5), 4);
    EXPECT_STREQ(buffer, "Test");
    EXPECT_EQ(buffer[5], 'x');
    EXPECT_EQ(spi::copyPluginInfo(table, 3, buffer, 2), 0);
    EXPECT_EQ(spi::copyPluginInfo(table, 3, buffer, 3), 2);
    EXPECT_STREQ(buffer, "Ä");
}

struct Calls {
    std::vector<std::pair<int, int>> seen;
    int stopAtCall = 0;
};

std::int32_t record(std::int32_t current, std::int32_t total, intptr_t user) {
    auto* calls = reinterpret_cast<Calls*>(user);
    calls->seen.emplace_back(current, total);
    return int(calls->seen.size()) == calls->stopAtCall ? 1 : 0;
}

TEST(Progress, ReportsStartEndAndSparseStepsAndStops) {
    Calls calls;
    spi::Progress progress(record, reinterpret_cast<intptr_t>(&calls), 6400);
    for (int row = 0; row <= 6400; ++row)
        ASSERT_TRUE(progress.report(row));
    EXPECT_EQ(calls.seen.front(), std::make_pair(0, 6400));
    EXPECT_EQ(calls.seen.back(), std::make_pair(6400, 6400));
    EXPECT_LE(calls.seen.size(), 66u);
    EXPECT_GE(calls.seen.size(), 60u);

    Calls stopping;
    stopping.stopAtCall = 2;
    spi::Progress stopped(record, reinterpret_cast<intptr_t>(&stopping), 10);
    EXPECT_TRUE(stopped.report(0));
    EXPECT_FALSE(stopped.report(1));
    // Once stopped it stays stopped without asking again.
    EXPECT_FALSE(stopped.report(10));
    EXPECT_EQ(stopping.seen.size(), 2u);

    spi::Progress silent(nullptr, 0, 0);
    EXPECT_TRUE(silent.report(0));
}

TEST(Progress, LongCountsAreScaledIntoTheInterface) {
    Calls calls;
    const std::int64_t total = 10'000'000'000;
    spi::Progress progress(record, reinterpret_cast<intptr_t>(&calls), total);
    ASSERT_TRUE(progress.report(total));
    ASSERT_EQ(calls.seen.size(), 1u);
    EXPECT_EQ(calls.seen[0].first, calls.seen[0].second);
    EXPECT_GT(calls.seen[0].second, 0);
}

TEST(Input, MemoryIsUsedInPlaceAndFilesAreReadFromAnOffset) {
    const std::uint8_t bytes[] = {1, 2, 3, 4};
    spi::Input memory;
    ASSERT_EQ(memory.load(bytes, 4, SPI_INPUT_MEMORY), SPI_SUCCESS);
    EXPECT_EQ(memory.bytes().data(), bytes);
    EXPECT_EQ(memory.bytes().size(), 4u);
    EXPECT_EQ(memory.load(nullptr, 4, SPI_INPUT_MEMORY), SPI_UNKNOWN_FORMAT);
    EXPECT_EQ(memory.load(bytes, -1, SPI_INPUT_MEMORY), SPI_UNKNOWN_FORMAT);

    TempDir dir;
    const QByteArray path = dir.write("picture.bin", QByteArray("headerPICTURE")).toUtf8();
    spi::Input file;
    ASSERT_EQ(file.load(path.constData(), 6, SPI_INPUT_FILE), SPI_SUCCESS);
    EXPECT_EQ(
        std::string_view(reinterpret_cast<const char*>(file.bytes().data()), file.bytes().size()),
        "PICTURE");
    EXPECT_EQ(file.load(path.constData(), 99, SPI_INPUT_FILE), SPI_READ_ERROR);
    EXPECT_EQ(file.load(dir.file("missing").toUtf8().constData(), 0, SPI_INPUT_FILE),
              SPI_READ_ERROR);
}

TEST(SizeMath, OverflowIsCaughtAndStridesArePadded) {
    EXPECT_FALSE(spi::checkedMul(1ull << 32, 1ull << 32));
    EXPECT_EQ(spi::checkedMul(1ull << 31, 1ull << 32), 1ull << 63);
    EXPECT_FALSE(spi::checkedAdd(~0ull, 1));
    EXPECT_EQ(spi::dibStride(3, 24), 12u);
    EXPECT_EQ(spi::dibStride(4, 24), 12u);
    EXPECT_EQ(spi::dibStride(5, 32), 20u);
    EXPECT_FALSE(spi::dibStride(~0ull / 8, 24));
    EXPECT_TRUE(spi::acceptableSize(16384, 16384));
    EXPECT_FALSE(spi::acceptableSize(16385, 16384));
    EXPECT_FALSE(spi::acceptableSize(0x80000000ull, 1));
    EXPECT_FALSE(spi::acceptableSize(0, 1));
}

} // namespace
