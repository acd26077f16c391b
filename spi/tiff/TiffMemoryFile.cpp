#include "spi/tiff/TiffMemoryFile.h"

#include "spi/common/SizeMath.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <tiffio.h>

namespace tiffspi {
namespace {

// No single buffer libtiff makes for one picture may exceed this: enough for a
// whole picture at the pixel limit as 8-bit RGBA, not for what a hostile
// header could claim.
constexpr tmsize_t MaxLibraryAllocation = tmsize_t(spi::MaxPixels * 4);

TiffMemoryFile* fileOf(thandle_t handle) {
    return static_cast<TiffMemoryFile*>(handle);
}

tmsize_t readProc(thandle_t handle, void* buffer, tmsize_t size) {
    return static_cast<tmsize_t>(fileOf(handle)->read(buffer, size));
}

tmsize_t writeProc(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence) {
    return fileOf(handle)->seek(offset, whence);
}

int closeProc(thandle_t) {
    return 0;
}

toff_t sizeProc(thandle_t handle) {
    return fileOf(handle)->bytes().size();
}

// libtiff takes a mapping as read-only; the bytes are never written through it.
int mapProc(thandle_t handle, void** base, toff_t* size) {
    const auto bytes = fileOf(handle)->bytes();
    *base = const_cast<std::uint8_t*>(bytes.data());
    *size = bytes.size();
    return 1;
}

void unmapProc(thandle_t, void*, toff_t) {}

int dropMessage(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

} // namespace

TiffMemoryFile::~TiffMemoryFile() {
    if (tiff_)
        TIFFClose(tiff_);
}

bool TiffMemoryFile::open(std::span<const std::uint8_t> bytes) {
    if (tiff_)
        return false;
    bytes_ = bytes;
    position_ = 0;
    std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    if (!options)
        return false;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), dropMessage, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), dropMessage, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), MaxLibraryAllocation);
    tiff_ = TIFFClientOpenExt("memory", "r", this, readProc, writeProc, seekProc, closeProc,
                              sizeProc, mapProc, unmapProc, options.get());
    return tiff_ != nullptr;
}

std::int64_t TiffMemoryFile::read(void* buffer, std::int64_t size) {
    if (size <= 0 || position_ >= bytes_.size())
        return 0;
    const std::uint64_t count =
        std::min<std::uint64_t>(std::uint64_t(size), bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    return static_cast<std::int64_t>(count);
}

std::uint64_t TiffMemoryFile::seek(std::uint64_t offset, int whence) {
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = position_;
    else if (whence == SEEK_END)
        base = bytes_.size();
    else if (whence != SEEK_SET)
        return static_cast<std::uint64_t>(-1);
    // libtiff passes a negative relative offset as its two's complement.
    position_ = base + offset;
    return position_;
}

} // namespace tiffspi
