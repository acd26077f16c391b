// The local memory handles host and plug-ins share.

#include "sdk/sorteka_spi.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(LocalMemory, ABlockLivesFromAllocToFree) {
    const size_t before = SpiLiveHandleCount();
    HLOCAL handle = LocalAlloc(LMEM_ZEROINIT, 100);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(SpiLiveHandleCount(), before + 1);
    EXPECT_EQ(LocalSize(handle), 100u);

    auto* bytes = static_cast<unsigned char*>(LocalLock(handle));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::count(bytes, bytes + 100, 0), 100);
    std::memset(bytes, 0xab, 100);
    EXPECT_EQ(LocalLock(handle), bytes); // locks nest and give the same memory
    EXPECT_NE(LocalUnlock(handle), 0);
    EXPECT_EQ(LocalUnlock(handle), 0);
    EXPECT_EQ(LocalUnlock(handle), 0); // unlocking an unlocked block changes nothing

    EXPECT_EQ(LocalFree(handle), nullptr);
    EXPECT_EQ(SpiLiveHandleCount(), before);
}

TEST(LocalMemory, UnknownAndFreedHandlesAreRefusedWithoutBeingTouched) {
    unsigned char notABlock[64] = {};
    auto* stray = reinterpret_cast<HLOCAL>(notABlock);
    EXPECT_EQ(LocalLock(stray), nullptr);
    EXPECT_EQ(LocalSize(stray), 0u);
    EXPECT_EQ(LocalUnlock(stray), 0);
    EXPECT_EQ(LocalFree(stray), stray);
    EXPECT_EQ(LocalLock(nullptr), nullptr);
    EXPECT_EQ(LocalFree(nullptr), nullptr);

    HLOCAL handle = LocalAlloc(LMEM_FIXED, 8);
    ASSERT_EQ(LocalFree(handle), nullptr);
    EXPECT_EQ(LocalFree(handle), handle); // freeing twice is harmless
    EXPECT_EQ(LocalLock(handle), nullptr);
    EXPECT_EQ(LocalSize(handle), 0u);
}

TEST(LocalMemory, EmptyAndImpossibleBlocks) {
    HLOCAL empty = LocalAlloc(LMEM_ZEROINIT, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(LocalSize(empty), 0u);
    EXPECT_NE(LocalLock(empty), nullptr);
    LocalUnlock(empty);
    EXPECT_EQ(LocalFree(empty), nullptr);

    EXPECT_EQ(LocalAlloc(LMEM_FIXED, SIZE_MAX), nullptr);
    EXPECT_EQ(LocalAlloc(LMEM_FIXED, SIZE_MAX - 8), nullptr);
}

} // namespace
