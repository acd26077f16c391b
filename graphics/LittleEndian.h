#pragma once

// Bounds-checked little-endian reads from a byte view, for the header peeks of
// the picture decoders. A read past the end gives std::nullopt, never garbage.

#include <QByteArrayView>
#include <cstdint>
#include <optional>

namespace graphics {

[[nodiscard]] inline std::optional<std::uint16_t> readU16(QByteArrayView bytes, qint64 at) {
    if (at < 0 || at > bytes.size() - 2)
        return std::nullopt;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
    return std::uint16_t(p[0] | (p[1] << 8));
}

[[nodiscard]] inline std::optional<std::uint32_t> readU32(QByteArrayView bytes, qint64 at) {
    if (at < 0 || at > bytes.size() - 4)
        return std::nullopt;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

[[nodiscard]] inline std::optional<std::int16_t> readI16(QByteArrayView bytes, qint64 at) {
    const auto v = readU16(bytes, at);
    return v ? std::optional<std::int16_t>(std::int16_t(*v)) : std::nullopt;
}

[[nodiscard]] inline std::optional<std::int32_t> readI32(QByteArrayView bytes, qint64 at) {
    const auto v = readU32(bytes, at);
    return v ? std::optional<std::int32_t>(std::int32_t(*v)) : std::nullopt;
}

} // namespace graphics
