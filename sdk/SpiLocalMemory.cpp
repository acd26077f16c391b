// The local memory handles of the plug-in interface. Host and plug-ins share
// this one implementation (a shared library), so a block made by a plug-in can
// be read and released by the host.
//
// A handle is the address of a block header, but it is only ever dereferenced
// after it was found among the live blocks: a plug-in that hands back a stray
// value, or a handle freed already, gets NULL or 0 instead of a crash.

#include "sdk/sorteka_spi.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

struct SpiLocalBlock {
    std::size_t size;
    std::size_t locks;
    // Keeps the data as aligned as malloc's own memory.
    alignas(std::max_align_t) unsigned char data[1];
};

namespace {

constexpr std::size_t HeaderBytes = offsetof(SpiLocalBlock, data);

struct Registry {
    std::mutex mutex;
    std::unordered_set<const SpiLocalBlock*> live;
};

Registry& registry() {
    // Never destroyed: plug-ins may free blocks while the process winds down.
    static Registry* instance = new Registry;
    return *instance;
}

// The live block behind `handle`, or null. The caller holds the mutex.
SpiLocalBlock* find(Registry& r, HLOCAL handle) {
    if (handle == nullptr || r.live.find(handle) == r.live.end())
        return nullptr;
    return handle;
}

} // namespace

extern "C" {

SPI_EXPORT HLOCAL LocalAlloc(uint32_t flags, size_t bytes) {
    if (bytes > SIZE_MAX - HeaderBytes)
        return nullptr;
    // Exactly the size asked for after the header, so a checker catches any
    // read past the end; the header gives even a zero-byte block an address.
    void* memory = std::malloc(HeaderBytes + bytes);
    if (!memory)
        return nullptr;
    auto* block = static_cast<SpiLocalBlock*>(memory);
    block->size = bytes;
    block->locks = 0;
    if (flags & LMEM_ZEROINIT)
        std::memset(block->data, 0, bytes);
    Registry& r = registry();
    try {
        std::lock_guard lock(r.mutex);
        r.live.insert(block);
    } catch (const std::bad_alloc&) {
        std::free(memory);
        return nullptr;
    }
    return block;
}

SPI_EXPORT void* LocalLock(HLOCAL handle) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    SpiLocalBlock* block = find(r, handle);
    if (!block)
        return nullptr;
    ++block->locks;
    return block->data;
}

SPI_EXPORT int32_t LocalUnlock(HLOCAL handle) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    SpiLocalBlock* block = find(r, handle);
    if (!block || block->locks == 0)
        return 0;
    --block->locks;
    return block->locks > 0 ? 1 : 0;
}

SPI_EXPORT size_t LocalSize(HLOCAL handle) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const SpiLocalBlock* block = find(r, handle);
    return block ? block->size : 0;
}

SPI_EXPORT HLOCAL LocalFree(HLOCAL handle) {
    Registry& r = registry();
    {
        std::lock_guard lock(r.mutex);
        if (!find(r, handle))
            return handle;
        r.live.erase(handle);
    }
    std::free(handle);
    return nullptr;
}

SPI_EXPORT size_t SpiLiveHandleCount(void) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.live.size();
}

} // extern "C"
