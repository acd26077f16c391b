#pragma once

// A built plug-in opened the way the host opens it (dlopen, local binding),
// with helpers that call its exports as the host does and copy out what it
// returns, so each test checks real pixels and sees leaked handles.

#include "sdk/sorteka_spi.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace spitest {

struct Rgba {
    int r = 0;
    int g = 0;
    int b = 0;
    int a = 255;
    friend bool operator==(const Rgba&, const Rgba&) = default;
};

// What GetPicture returned, read back from its handles.
struct DecodedPicture {
    std::int32_t code = SPI_INTERNAL_ERROR;
    int width = 0;
    int height = 0;
    int bitCount = 0;
    bool bottomUp = true;
    std::size_t stride = 0;
    std::vector<std::uint8_t> rows;
    // Handles still alive after the test released what it was given.
    std::int64_t leakedHandles = 0;

    // The pixel at (x, y), top-left origin; alpha 255 for 24-bit pictures.
    [[nodiscard]] Rgba pixel(int x, int y) const;
};

class LoadedPlugin {
public:
    explicit LoadedPlugin(const std::string& path);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    // Empty when the plug-in and all four import exports were found.
    [[nodiscard]] const std::string& error() const { return error_; }

    // Every GetPluginInfo text from index 0 until the first empty answer.
    [[nodiscard]] std::vector<std::string> infoTexts() const;
    // IsSupported on the first bytes of `file`, filled up to SPI_PEEK_BYTES as the host does.
    [[nodiscard]] bool isSupported(std::span<const std::uint8_t> file,
                                   const std::string& name = "") const;
    [[nodiscard]] std::int32_t pictureInfo(std::span<const std::uint8_t> file,
                                           SpiPictureInfo& info) const;
    // GetPicture on an exact-size copy of `file`, so over-reads show under ASan.
    [[nodiscard]] DecodedPicture decode(std::span<const std::uint8_t> file,
                                        SpiProgressCallback progress = nullptr,
                                        intptr_t user = 0) const;
    // GetPictureScaled the same way; SPI_NOT_IMPLEMENTED when the plug-in lacks it.
    [[nodiscard]] DecodedPicture decodeScaled(std::span<const std::uint8_t> file, int maxWidth,
                                              int maxHeight) const;

private:
    using DecodeCall = std::function<std::int32_t(const void*, intptr_t, HLOCAL*, HLOCAL*)>;
    // Makes the call on an exact-size copy and reads back and frees the handles.
    [[nodiscard]] DecodedPicture collect(std::span<const std::uint8_t> file,
                                         const DecodeCall& call) const;

    void* handle_ = nullptr;
    std::string error_;
    SpiGetPluginInfoFunc getPluginInfo_ = nullptr;
    SpiIsSupportedFunc isSupported_ = nullptr;
    SpiGetPictureInfoFunc getPictureInfo_ = nullptr;
    SpiGetPictureFunc getPicture_ = nullptr;
    SpiGetPictureScaledFunc getPictureScaled_ = nullptr;
};

// A progress callback whose user value points to a StopAfter: it counts its
// calls and asks to stop at call number `stopAt` (never when 0).
struct StopAfter {
    int calls = 0;
    int stopAt = 0;
};
std::int32_t stopAfterCallback(std::int32_t current, std::int32_t total, intptr_t user);

// The file's bytes, as a span the helpers take.
[[nodiscard]] inline std::span<const std::uint8_t> bytesOf(const std::vector<std::uint8_t>& v) {
    return {v.data(), v.size()};
}

} // namespace spitest
