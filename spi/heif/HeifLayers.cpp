#include "spi/heif/HeifLayers.h"

#include <cstring>
#include <optional>

namespace heifspi {
namespace {

struct Box {
    char type[4];
    std::span<const std::uint8_t> content;
};

std::uint64_t bigEndian(const std::uint8_t* p, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = value << 8 | p[i];
    return value;
}

// The box at the start of `data`, and where the next one starts; nothing for
// a header that does not fit or a size that runs past the end.
std::optional<Box> boxAt(std::span<const std::uint8_t> data, std::size_t& next) {
    if (data.size() < 8)
        return std::nullopt;
    std::uint64_t size = bigEndian(data.data(), 4);
    std::size_t header = 8;
    if (size == 1) {
        if (data.size() < 16)
            return std::nullopt;
        size = bigEndian(data.data() + 8, 8);
        header = 16;
    } else if (size == 0) {
        size = data.size();
    }
    if (size < header || size > data.size())
        return std::nullopt;
    Box box;
    std::memcpy(box.type, data.data() + 4, 4);
    box.content = data.subspan(header, std::size_t(size - header));
    next = std::size_t(size);
    return box;
}

// The content of the first child box of `type`.
std::optional<std::span<const std::uint8_t>> child(std::span<const std::uint8_t> data,
                                                   const char* type) {
    while (!data.empty()) {
        std::size_t next = 0;
        const auto box = boxAt(data, next);
        if (!box)
            return std::nullopt;
        if (std::memcmp(box->type, type, 4) == 0)
            return box->content;
        data = data.subspan(next);
    }
    return std::nullopt;
}

} // namespace

bool declaresLayers(std::span<const std::uint8_t> file) {
    auto meta = child(file, "meta");
    // "meta" is a full box: version and flags come before its children.
    if (!meta || meta->size() < 4)
        return false;
    const auto properties = child(meta->subspan(4), "iprp");
    const auto container = properties ? child(*properties, "ipco") : std::nullopt;
    if (!container)
        return false;
    std::span<const std::uint8_t> rest = *container;
    while (!rest.empty()) {
        std::size_t next = 0;
        const auto box = boxAt(rest, next);
        if (!box)
            return false;
        for (const char* layered : {"a1op", "a1lx", "lsel"})
            if (std::memcmp(box->type, layered, 4) == 0)
                return true;
        rest = rest.subspan(next);
    }
    return false;
}

} // namespace heifspi
