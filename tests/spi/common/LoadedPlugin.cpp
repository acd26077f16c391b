#include "common/LoadedPlugin.h"

#include <algorithm>
#include <cstring>
#include <dlfcn.h>

namespace spitest {

Rgba DecodedPicture::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return {-1, -1, -1, -1};
    const std::size_t row = bottomUp ? std::size_t(height - 1 - y) : std::size_t(y);
    const std::uint8_t* p = rows.data() + row * stride + std::size_t(x) * std::size_t(bitCount / 8);
    return {p[2], p[1], p[0], bitCount == 32 ? p[3] : 255};
}

LoadedPlugin::LoadedPlugin(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error_ = why ? why : "dlopen failed";
        return;
    }
    auto find = [&](const char* name) {
        void* symbol = dlsym(handle_, name);
        if (!symbol)
            error_ += std::string("missing ") + name + "; ";
        return symbol;
    };
    getPluginInfo_ = reinterpret_cast<SpiGetPluginInfoFunc>(find("GetPluginInfo"));
    isSupported_ = reinterpret_cast<SpiIsSupportedFunc>(find("IsSupported"));
    getPictureInfo_ = reinterpret_cast<SpiGetPictureInfoFunc>(find("GetPictureInfo"));
    getPicture_ = reinterpret_cast<SpiGetPictureFunc>(find("GetPicture"));
    // Optional: no error when it is missing.
    getPictureScaled_ =
        reinterpret_cast<SpiGetPictureScaledFunc>(dlsym(handle_, "GetPictureScaled"));
}

LoadedPlugin::~LoadedPlugin() {
    if (handle_)
        dlclose(handle_);
}

std::vector<std::string> LoadedPlugin::infoTexts() const {
    std::vector<std::string> texts;
    for (std::int32_t index = 0; getPluginInfo_ && index < 64; ++index) {
        char buffer[256];
        std::memset(buffer, 0x7f, sizeof buffer);
        const std::int32_t length = getPluginInfo_(index, buffer, 255);
        if (length <= 0)
            break;
        texts.emplace_back(buffer, strnlen(buffer, sizeof buffer));
    }
    return texts;
}

bool LoadedPlugin::isSupported(std::span<const std::uint8_t> file, const std::string& name) const {
    std::vector<std::uint8_t> peek(SPI_PEEK_BYTES, 0);
    if (!file.empty()) // an empty span's data() may be null, which memcpy must not get
        std::memcpy(peek.data(), file.data(), std::min(file.size(), peek.size()));
    return isSupported_ && isSupported_(name.c_str(), peek.data()) != 0;
}

std::int32_t LoadedPlugin::pictureInfo(std::span<const std::uint8_t> file,
                                       SpiPictureInfo& info) const {
    const std::vector<std::uint8_t> exact(file.begin(), file.end());
    info = SpiPictureInfo{};
    const std::int32_t code = getPictureInfo_(exact.empty() ? "" : (const void*)exact.data(),
                                              intptr_t(exact.size()), SPI_INPUT_MEMORY, &info);
    if (info.comment)
        info.comment = LocalFree(info.comment);
    return code;
}

DecodedPicture LoadedPlugin::decode(std::span<const std::uint8_t> file,
                                    SpiProgressCallback progress, intptr_t user) const {
    return collect(file, [&](const void* data, intptr_t length, HLOCAL* info, HLOCAL* bits) {
        return getPicture_(data, length, SPI_INPUT_MEMORY, info, bits, progress, user);
    });
}

DecodedPicture LoadedPlugin::decodeScaled(std::span<const std::uint8_t> file, int maxWidth,
                                          int maxHeight) const {
    if (!getPictureScaled_) {
        DecodedPicture missing;
        missing.code = SPI_NOT_IMPLEMENTED;
        return missing;
    }
    return collect(file, [&](const void* data, intptr_t length, HLOCAL* info, HLOCAL* bits) {
        return getPictureScaled_(data, length, SPI_INPUT_MEMORY, maxWidth, maxHeight, info, bits,
                                 nullptr, 0);
    });
}

DecodedPicture LoadedPlugin::collect(std::span<const std::uint8_t> file,
                                     const DecodeCall& call) const {
    DecodedPicture picture;
    const std::size_t liveBefore = SpiLiveHandleCount();
    const std::vector<std::uint8_t> exact(file.begin(), file.end());
    HLOCAL info = nullptr;
    HLOCAL bits = nullptr;
    picture.code =
        call(exact.empty() ? "" : (const void*)exact.data(), intptr_t(exact.size()), &info, &bits);
    if (picture.code == SPI_SUCCESS && info && bits) {
        const auto* header = static_cast<const SpiBitmapInfoHeader*>(LocalLock(info));
        const auto* data = static_cast<const std::uint8_t*>(LocalLock(bits));
        if (header && data && LocalSize(info) >= sizeof(SpiBitmapInfoHeader)) {
            picture.width = header->width;
            picture.height = header->height < 0 ? -header->height : header->height;
            picture.bottomUp = header->height > 0;
            picture.bitCount = header->bit_count;
            picture.stride = std::size_t((picture.width * picture.bitCount + 31) / 32 * 4);
            const std::size_t needed = picture.stride * std::size_t(picture.height);
            if (LocalSize(bits) >= needed)
                picture.rows.assign(data, data + needed);
            else
                picture.code = SPI_MEMORY_ERROR;
        }
        LocalUnlock(info);
        LocalUnlock(bits);
    }
    if (info)
        LocalFree(info);
    if (bits)
        LocalFree(bits);
    picture.leakedHandles = std::int64_t(SpiLiveHandleCount()) - std::int64_t(liveBefore);
    return picture;
}

std::int32_t stopAfterCallback(std::int32_t, std::int32_t, intptr_t user) {
    auto* state = reinterpret_cast<StopAfter*>(user);
    ++state->calls;
    return state->stopAt > 0 && state->calls >= state->stopAt ? 1 : 0;
}

} // namespace spitest
