#include "plugins/PluginHandle.h"

namespace plugins {

PluginHandle::~PluginHandle() {
    if (!handle_)
        return;
    if (locked_)
        LocalUnlock(handle_);
    LocalFree(handle_);
}

DibBlock PluginHandle::lock() {
    if (!handle_ || locked_)
        return block_;
    const size_t size = LocalSize(handle_);
    void* data = LocalLock(handle_);
    if (!data)
        return {};
    locked_ = true;
    block_ = {static_cast<const unsigned char*>(data), qint64(size)};
    return block_;
}

HLOCAL PluginHandle::release() {
    if (locked_)
        LocalUnlock(handle_);
    locked_ = false;
    block_ = {};
    HLOCAL handle = handle_;
    handle_ = nullptr;
    return handle;
}

} // namespace plugins
