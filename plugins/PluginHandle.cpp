#include "plugins/PluginHandle.h"

#include <QMutex>
#include <QSet>

namespace plugins {

namespace {

// Handles released to the host. A freed handle is never valid again (handles
// carry a generation), so entries of freed ones are only dropped now and then.
struct HeldHandles {
    QMutex mutex;
    QSet<HLOCAL> handles;
};

HeldHandles& held() {
    static HeldHandles instance;
    return instance;
}

void remember(HLOCAL handle) {
    HeldHandles& h = held();
    const QMutexLocker lock(&h.mutex);
    if (h.handles.size() >= 64)
        h.handles.removeIf([](HLOCAL old) { return LocalSize(old) == 0; }); // freed since
    h.handles.insert(handle);
}

} // namespace

bool PluginHandle::heldByHost(HLOCAL handle) {
    if (!handle)
        return false;
    HeldHandles& h = held();
    const QMutexLocker lock(&h.mutex);
    return h.handles.contains(handle);
}

PluginHandle::~PluginHandle() {
    if (!handle_ || heldByHost(handle_))
        return;
    if (locked_)
        LocalUnlock(handle_);
    LocalFree(handle_);
}

DibBlock PluginHandle::lock() {
    if (!handle_ || locked_)
        return block_;
    if (heldByHost(handle_))
        return {};
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
    if (handle)
        remember(handle);
    return handle;
}

} // namespace plugins
