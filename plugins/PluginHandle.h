#pragma once

// A local memory handle a plug-in handed over. It is locked while in use and
// unlocked and freed when this object goes, on every path, unless a receiver
// took it over with release().

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
    // block when it is no live handle.
    DibBlock lock();
    // The block lock() gave.
    [[nodiscard]] DibBlock block() const { return block_; }

    // Unlocks and hands the handle over; the caller frees it with LocalFree.
    [[nodiscard]] HLOCAL release();

private:
    HLOCAL handle_ = nullptr;
    DibBlock block_;
    bool locked_ = false;
};

} // namespace plugins
