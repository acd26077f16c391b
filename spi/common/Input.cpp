#include "spi/common/Input.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace spi {
namespace {

// The low bits of the flag say where the data lies; the others are the host's.
constexpr std::uint32_t InputKindMask = 7;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

std::int32_t Input::load(const void* data, intptr_t length, std::uint32_t flag) {
    if (data == nullptr || length < 0)
        return SPI_UNKNOWN_FORMAT;
    if ((flag & InputKindMask) == SPI_INPUT_MEMORY) {
        bytes_ = {static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(length)};
        return SPI_SUCCESS;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(static_cast<const char*>(data), "rb"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0)
        return SPI_READ_ERROR;
    const long end = std::ftell(file.get());
    if (end < 0 || end < length || std::fseek(file.get(), long(length), SEEK_SET) != 0)
        return SPI_READ_ERROR;
    owned_.resize(static_cast<std::size_t>(end - length));
    if (std::fread(owned_.data(), 1, owned_.size(), file.get()) != owned_.size())
        return SPI_READ_ERROR;
    bytes_ = owned_;
    return SPI_SUCCESS;
}

bool startsWith(std::span<const std::uint8_t> data, std::span<const std::uint8_t> magic) {
    return data.size() >= magic.size() && std::memcmp(data.data(), magic.data(), magic.size()) == 0;
}

} // namespace spi
