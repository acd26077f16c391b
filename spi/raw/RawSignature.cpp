#include "spi/raw/RawSignature.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>

namespace rawspi {
namespace {

bool bytesAt(std::span<const std::uint8_t> head, std::size_t at, std::string_view text) {
    return at <= head.size() && text.size() <= head.size() - at &&
           std::memcmp(head.data() + at, text.data(), text.size()) == 0;
}

// Makers whose TIFF-based RAW files have no signature of their own. A plain
// TIFF from one of them is offered to LibRaw too, which then declines it.
constexpr std::array<std::string_view, 16> RawMakers = {
    "NIKON",     "SONY",       "CANON",     "PENTAX",         "RICOH", "SAMSUNG",
    "LEICA",     "HASSELBLAD", "PHASE ONE", "MAMIYA",         "KODAK", "EASTMAN KODAK",
    "PANASONIC", "OLYMPUS",    "FUJIFILM",  "KONICA MINOLTA",
};

class TiffView {
public:
    TiffView(std::span<const std::uint8_t> head, bool bigEndian)
        : head_(head), bigEndian_(bigEndian) {}

    [[nodiscard]] bool has(std::uint64_t at, std::uint64_t count) const {
        return at <= head_.size() && count <= head_.size() - at;
    }
    [[nodiscard]] std::uint16_t u16(std::size_t at) const {
        const std::uint8_t a = head_[at];
        const std::uint8_t b = head_[at + 1];
        return bigEndian_ ? std::uint16_t(a << 8 | b) : std::uint16_t(b << 8 | a);
    }
    [[nodiscard]] std::uint32_t u32(std::size_t at) const {
        const std::uint32_t first = u16(at);
        const std::uint32_t second = u16(at + 2);
        return bigEndian_ ? first << 16 | second : second << 16 | first;
    }
    [[nodiscard]] std::span<const std::uint8_t> bytes(std::size_t at, std::size_t count) const {
        return head_.subspan(at, count);
    }

private:
    std::span<const std::uint8_t> head_;
    bool bigEndian_;
};

bool isRawMaker(std::span<const std::uint8_t> make) {
    std::string upper;
    for (const std::uint8_t c : make) {
        if (c == 0)
            break;
        upper.push_back(char(std::toupper(c)));
    }
    return std::any_of(RawMakers.begin(), RawMakers.end(),
                       [&](std::string_view maker) { return upper.starts_with(maker); });
}

// Looks through the first image directory, as far as it lies in `head`.
bool tiffDirectoryLooksRaw(std::span<const std::uint8_t> head, bool bigEndian) {
    constexpr std::uint16_t MakeTag = 271;
    constexpr std::uint16_t DngVersionTag = 50706;
    constexpr std::uint16_t AsciiType = 2;
    constexpr std::size_t EntryBytes = 12;
    const TiffView tiff(head, bigEndian);
    const std::uint32_t directory = tiff.u32(4);
    // Cameras write the first directory right after the header; a TIFF that
    // keeps it beyond the bytes shown here (libtiff-based converters do)
    // cannot be judged by its head, and LibRaw decides when it is opened.
    if (directory >= head.size())
        return true;
    if (!tiff.has(directory, 2))
        return false;
    const std::uint16_t entries = tiff.u16(directory);
    bool cameraMake = false;
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::uint64_t entry = std::uint64_t(directory) + 2 + std::uint64_t(i) * EntryBytes;
        if (!tiff.has(entry, EntryBytes))
            break;
        const std::uint16_t tag = tiff.u16(entry);
        if (tag == DngVersionTag)
            return true;
        if (tag != MakeTag || tiff.u16(entry + 2) != AsciiType)
            continue;
        const std::uint32_t count = tiff.u32(entry + 4);
        const std::uint64_t at = count <= 4 ? entry + 8 : tiff.u32(entry + 8);
        const std::uint32_t shown = std::min<std::uint32_t>(count, 64);
        cameraMake = tiff.has(at, shown) && isRawMaker(tiff.bytes(at, shown));
    }
    return cameraMake;
}

} // namespace

bool isCameraRaw(std::span<const std::uint8_t> head) {
    if (head.size() < 16)
        return false;
    // Formats with a signature of their own.
    if (bytesAt(head, 0, "FUJIFILMCCD-RAW ") || // RAF
        bytesAt(head, 4, "ftypcrx ") ||         // CR3
        bytesAt(head, 6, "HEAPCCDR") ||         // CRW
        bytesAt(head, 0, "FOVb") ||             // X3F
        bytesAt(head, 0, std::string_view("\0MRM", 4)) || bytesAt(head, 0, "IIRO") ||
        bytesAt(head, 0, "IIRS") || bytesAt(head, 0, "MMOR") || // ORF
        bytesAt(head, 0, std::string_view("IIU\0", 4)))         // RW2
        return true;
    const bool little = bytesAt(head, 0, std::string_view("II*\0", 4));
    const bool big = bytesAt(head, 0, std::string_view("MM\0*", 4));
    if (!little && !big)
        return false;
    if (little && bytesAt(head, 8, "CR\x02")) // CR2
        return true;
    return tiffDirectoryLooksRaw(head, big);
}

} // namespace rawspi
