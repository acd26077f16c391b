#pragma once

// The fixture every plug-in's tests share: the plug-in of the test target
// (SPI_PLUGIN_FILE) loaded as the host loads it, and the checks that hold for
// every decode of it: a success hands back bottom-up rows, and neither a
// success nor a failure nor an abort leaves a handle behind.

#include "common/LoadedPlugin.h"

#include <cstddef>
#include <cstdint>
#include <gtest/gtest.h>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

#ifndef SPI_PLUGIN_FILE
#error "SPI_PLUGIN_FILE names the plug-in under test; sorteka_spi_plugin_test sets it"
#endif

namespace spitest {

// For expectCutsFail: any code but SPI_SUCCESS will do.
inline constexpr std::optional<std::int32_t> AnyFailure = std::nullopt;

// Prefix lengths first, first + step, ... while below end.
[[nodiscard]] inline std::vector<std::size_t> cutLengths(std::size_t first, std::size_t end,
                                                         std::size_t step) {
    std::vector<std::size_t> lengths;
    for (std::size_t length = first; length < end; length += step)
        lengths.push_back(length);
    return lengths;
}

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(plugin.error(), ""); }

    // GetPicture succeeds with bottom-up rows and no handle left behind.
    DecodedPicture decodeOk(std::span<const std::uint8_t> file) {
        DecodedPicture picture = plugin.decode(file);
        EXPECT_EQ(picture.code, SPI_SUCCESS);
        EXPECT_EQ(picture.leakedHandles, 0);
        EXPECT_TRUE(picture.bottomUp);
        return picture;
    }

    // As decodeOk, and GetPictureInfo and GetPicture both report width × height
    // at bitCount bits per pixel.
    DecodedPicture decodeWithInfo(std::span<const std::uint8_t> file, int width, int height,
                                  int bitCount) {
        SpiPictureInfo info{};
        EXPECT_EQ(plugin.pictureInfo(file, info), SPI_SUCCESS);
        EXPECT_EQ(info.width, width);
        EXPECT_EQ(info.height, height);
        EXPECT_EQ(info.color_depth, bitCount);
        DecodedPicture picture = decodeOk(file);
        EXPECT_EQ(picture.width, width);
        EXPECT_EQ(picture.height, height);
        EXPECT_EQ(picture.bitCount, bitCount);
        return picture;
    }

    // GetPicture answers `code` (any failure for AnyFailure) and leaves no
    // handle behind.
    void expectDecodeFails(std::span<const std::uint8_t> file, std::optional<std::int32_t> code) {
        const DecodedPicture picture = plugin.decode(file);
        if (code)
            EXPECT_EQ(picture.code, *code);
        else
            EXPECT_NE(picture.code, SPI_SUCCESS);
        EXPECT_EQ(picture.leakedHandles, 0);
    }

    // expectDecodeFails on the first `length` bytes of `file` for each length.
    void expectCutsFail(std::span<const std::uint8_t> file, const std::vector<std::size_t>& lengths,
                        std::optional<std::int32_t> code) {
        for (const std::size_t length : lengths) {
            SCOPED_TRACE(::testing::Message() << "cut to " << length << " of " << file.size());
            ASSERT_LE(length, file.size());
            expectDecodeFails(file.first(length), code);
        }
    }

    // GetPicture on `file` succeeds and reports its progress at least minCalls times.
    void expectProgressToTheEnd(std::span<const std::uint8_t> file, int minCalls) {
        StopAfter counting;
        const DecodedPicture picture =
            plugin.decode(file, stopAfterCallback, reinterpret_cast<intptr_t>(&counting));
        EXPECT_EQ(picture.code, SPI_SUCCESS);
        EXPECT_GE(counting.calls, minCalls);
    }

    // For each call number in stopAts: a host that asks to stop at that
    // progress call gets SPI_ABORTED right there and no handle left behind.
    void expectStopsAbort(std::span<const std::uint8_t> file, std::initializer_list<int> stopAts) {
        for (const int stopAt : stopAts) {
            SCOPED_TRACE(::testing::Message() << "stop at call " << stopAt);
            StopAfter stop{.stopAt = stopAt};
            const DecodedPicture picture =
                plugin.decode(file, stopAfterCallback, reinterpret_cast<intptr_t>(&stop));
            EXPECT_EQ(picture.code, SPI_ABORTED);
            EXPECT_EQ(stop.calls, stopAt);
            EXPECT_EQ(picture.leakedHandles, 0);
        }
    }

    LoadedPlugin plugin{SPI_PLUGIN_FILE};
};

} // namespace spitest
