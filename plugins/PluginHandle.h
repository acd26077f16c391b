#pragma once

// A local memory handle a plug-in handed over. It is locked while in use and
// unlocked and freed when this object goes, on every path, unless a receiver
// took it over with release().
//
// A released handle is the storage of a picture the host shows, and the host
// may rewrite it. A plug-in that hands the same handle over again (a cache)
// would share that storage: such a handle is refused, and never freed here.

#include "plugins/DibImage.h"
#include "sdk/sorteka_spi.h"

namespace plugins {

class PluginHandle {
public:
    PluginHandle() = default;
    explicit PluginHandle(HLOCAL handle) : handle_(handle) {}
    ~PluginHandle();
    PluginHandle(const PluginHandle&) = delete;
    PluginHandle& operator=(const PluginHandle&) = delete;

    // Where a plug-in writes the handle it makes.
    HLOCAL* out() { return &handle_; }
    [[nodiscard]] HLOCAL get() const { return handle_; }

    // Locks the handle and gives its memory with the size it reports; an empty
    // block when it is no live handle, or one the host holds already.
    DibBlock lock();
    // The block lock() gave.
    [[nodiscard]] DibBlock block() const { return block_; }

    // Unlocks and hands the handle over; the caller frees it with LocalFree.
    // From then on the host holds it: a plug-in giving it again is refused.
    [[nodiscard]] HLOCAL release();

    // True while `handle` is a live handle that was released to the host.
    [[nodiscard]] static bool heldByHost(HLOCAL handle);

private:
    HLOCAL handle_ = nullptr;
    DibBlock block_;
    bool locked_ = false;
};

} // namespace plugins
