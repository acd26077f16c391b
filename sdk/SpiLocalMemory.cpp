// The local memory handles of the plug-in interface. Host and plug-ins share
// this one implementation (a shared library), so a block made by a plug-in can
// be read and released by the host.
//
// A handle is no address: it names a slot of a table and the generation of
// the block in that slot. Freeing a block moves its slot on to the next
// generation, so a handle freed already, or kept after it was handed over,
// never reaches a block allocated later at the same slot or address: it is
// simply unknown (NULL or 0), and freeing twice is harmless.

#include "sdk/sorteka_spi.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace {

struct Block {
    std::size_t size;
    std::size_t locks;
    // Keeps the data as aligned as malloc's own memory.
    alignas(std::max_align_t) unsigned char data[1];
};

constexpr std::size_t HeaderBytes = offsetof(Block, data);

struct Slot {
    Block* block = nullptr;
    std::uint32_t generation = 1;
};

struct Registry {
    std::mutex mutex;
    std::vector<Slot> slots;
    std::vector<std::uint32_t> freeSlots;
    std::size_t live = 0;
};

Registry& registry() {
    // Never destroyed: plug-ins may free blocks while the process winds down.
    static Registry* instance = new Registry;
    return *instance;
}

// Slot index + 1 in the low half, the generation in the high half: never 0.
HLOCAL handleOf(std::uint32_t index, std::uint32_t generation) {
    const std::uint64_t value = (std::uint64_t(generation) << 32) | (std::uint64_t(index) + 1);
    return reinterpret_cast<HLOCAL>(static_cast<std::uintptr_t>(value));
}

// The slot `handle` names while its block is alive, or null. The caller holds the mutex.
Slot* find(Registry& r, HLOCAL handle) {
    const auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
    const std::uint64_t index = (value & 0xFFFFFFFFu);
    if (index == 0 || index > r.slots.size())
        return nullptr;
    Slot& slot = r.slots[index - 1];
    if (slot.block == nullptr || slot.generation != std::uint32_t(value >> 32))
        return nullptr;
    return &slot;
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
    auto* block = static_cast<Block*>(memory);
    block->size = bytes;
    block->locks = 0;
    if (flags & LMEM_ZEROINIT)
        std::memset(block->data, 0, bytes);
    Registry& r = registry();
    try {
        std::lock_guard lock(r.mutex);
        std::uint32_t index = 0;
        if (!r.freeSlots.empty()) {
            index = r.freeSlots.back();
            r.freeSlots.pop_back();
        } else if (r.slots.size() < 0xFFFFFFFEu) {
            index = std::uint32_t(r.slots.size());
            r.slots.emplace_back();
        } else {
            std::free(memory);
            return nullptr;
        }
        Slot& slot = r.slots[index];
        slot.block = block;
        ++r.live;
        return handleOf(index, slot.generation);
    } catch (const std::bad_alloc&) {
        std::free(memory);
        return nullptr;
    }
}

SPI_EXPORT void* LocalLock(HLOCAL handle) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    Slot* slot = find(r, handle);
    if (!slot)
        return nullptr;
    ++slot->block->locks;
    return slot->block->data;
}

SPI_EXPORT int32_t LocalUnlock(HLOCAL handle) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    Slot* slot = find(r, handle);
    if (!slot || slot->block->locks == 0)
        return 0;
    --slot->block->locks;
    return slot->block->locks > 0 ? 1 : 0;
}

SPI_EXPORT size_t LocalSize(HLOCAL handle) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const Slot* slot = find(r, handle);
    return slot ? slot->block->size : 0;
}

SPI_EXPORT HLOCAL LocalFree(HLOCAL handle) {
    Registry& r = registry();
    Block* block = nullptr;
    {
        std::lock_guard lock(r.mutex);
        Slot* slot = find(r, handle);
        if (!slot)
            return handle;
        block = slot->block;
        slot->block = nullptr;
        // A slot whose generations ran out is retired rather than reused.
        if (++slot->generation != 0) {
            try {
                r.freeSlots.push_back(std::uint32_t(slot - r.slots.data()));
            } catch (const std::bad_alloc&) {
                // The slot is only lost for reuse.
            }
        }
        --r.live;
    }
    std::free(block);
    return nullptr;
}

SPI_EXPORT size_t SpiLiveHandleCount(void) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.live;
}

} // extern "C"
