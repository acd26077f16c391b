#include "graphics/IsolatedRun.h"

#include "graphics/GraphicErrors.h"

#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

using graphics::runIsolated;
using namespace std::chrono_literals;

TEST(IsolatedRun, ReturnsWhatTheChildWrote) {
    const QByteArray result = runIsolated(
        [](char* out, std::size_t capacity, std::size_t& used) {
            const char text[] = "drawn in the child";
            if (capacity < sizeof text - 1)
                return false;
            std::memcpy(out, text, sizeof text - 1);
            used = sizeof text - 1;
            return true;
        },
        64, 10s);
    EXPECT_EQ(result, QByteArray("drawn in the child"));

    // The child cannot claim more than the room it was given.
    const QByteArray clipped = runIsolated(
        [](char*, std::size_t, std::size_t& used) {
            used = 1'000'000;
            return true;
        },
        16, 10s);
    EXPECT_EQ(clipped.size(), 16);
}

TEST(IsolatedRun, FailureCrashAndHangBecomeErrors) {
    const auto fails = [](char*, std::size_t, std::size_t&) { return false; };
    const auto throws = [](char*, std::size_t, std::size_t&) -> bool {
        throw std::runtime_error("inside the library");
    };
    const auto crashes = [](char*, std::size_t, std::size_t&) -> bool {
        std::raise(SIGSEGV);
        return true;
    };
    const auto exits = [](char*, std::size_t, std::size_t&) -> bool { _exit(3); };
    const auto hangs = [](char*, std::size_t, std::size_t&) -> bool {
        for (;;)
            pause();
    };
    EXPECT_THROW((void)runIsolated(fails, 16, 10s), EInvalidGraphic);
    EXPECT_THROW((void)runIsolated(throws, 16, 10s), EInvalidGraphic);
    EXPECT_THROW((void)runIsolated(crashes, 16, 10s), EInvalidGraphic);
    EXPECT_THROW((void)runIsolated(exits, 16, 10s), EInvalidGraphic);
    EXPECT_THROW((void)runIsolated(hangs, 16, 100ms), EInvalidGraphic);
}
