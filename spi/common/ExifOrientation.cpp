#include "spi/common/ExifOrientation.h"

#include <algorithm>
#include <cstring>

namespace spi {
namespace {

constexpr std::uint16_t OrientationTag = 0x0112;
constexpr std::uint16_t ByteType = 1;
constexpr std::uint16_t ShortType = 3;
constexpr std::uint16_t LongType = 4;
constexpr std::uint16_t SignedShortType = 8;
constexpr std::uint16_t SignedLongType = 9;
constexpr std::size_t EntryBytes = 12;

class TiffReader {
public:
    TiffReader(std::span<const std::uint8_t> bytes, bool bigEndian)
        : bytes_(bytes), bigEndian_(bigEndian) {}

    [[nodiscard]] bool has(std::uint64_t at, std::uint64_t count) const {
        return at <= bytes_.size() && count <= bytes_.size() - at;
    }
    [[nodiscard]] std::uint8_t u8(std::size_t at) const { return bytes_[at]; }
    [[nodiscard]] std::uint16_t u16(std::size_t at) const {
        const std::uint8_t a = bytes_[at];
        const std::uint8_t b = bytes_[at + 1];
        return bigEndian_ ? std::uint16_t(a << 8 | b) : std::uint16_t(b << 8 | a);
    }
    [[nodiscard]] std::uint32_t u32(std::size_t at) const {
        const std::uint32_t high = bigEndian_ ? u16(at) : u16(at + 2);
        const std::uint32_t low = bigEndian_ ? u16(at + 2) : u16(at);
        return high << 16 | low;
    }

private:
    std::span<const std::uint8_t> bytes_;
    bool bigEndian_;
};

} // namespace

Orientation exifOrientationFromTiff(std::span<const std::uint8_t> tiff) {
    if (tiff.size() < 8)
        return 1;
    bool bigEndian = false;
    if (std::memcmp(tiff.data(), "II*\0", 4) == 0)
        bigEndian = false;
    else if (std::memcmp(tiff.data(), "MM\0*", 4) == 0)
        bigEndian = true;
    else
        return 1;
    const TiffReader reader(tiff, bigEndian);
    const std::uint64_t directory = reader.u32(4);
    if (!reader.has(directory, 2))
        return 1;
    const std::uint16_t entries = reader.u16(directory);
    const std::uint64_t first = directory + 2;
    // Only the entries that are really there are looked at: a count larger than
    // the block is cut short rather than read past its end.
    for (std::uint64_t i = 0; i < entries && reader.has(first + i * EntryBytes, EntryBytes); ++i) {
        const std::size_t entry = first + i * EntryBytes;
        if (reader.u16(entry) != OrientationTag)
            continue;
        if (reader.u32(entry + 4) < 1)
            return 1;
        // The standard says SHORT, but some phones write LONG or SLONG; a
        // single value sits at the start of the value field in any of them.
        switch (reader.u16(entry + 2)) {
        case ByteType:
            return normalOrientation(reader.u8(entry + 8));
        case ShortType:
        case SignedShortType:
            return normalOrientation(reader.u16(entry + 8));
        case LongType:
        case SignedLongType:
            return normalOrientation(int(std::min<std::uint32_t>(reader.u32(entry + 8), 9)));
        default:
            return 1;
        }
    }
    return 1;
}

Orientation exifOrientationFromApp1(std::span<const std::uint8_t> payload) {
    static constexpr std::uint8_t Prefix[] = {'E', 'x', 'i', 'f', 0, 0};
    if (payload.size() < sizeof Prefix || std::memcmp(payload.data(), Prefix, sizeof Prefix) != 0)
        return 1;
    return exifOrientationFromTiff(payload.subspan(sizeof Prefix));
}

} // namespace spi
