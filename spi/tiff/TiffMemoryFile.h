#pragma once

// Opens a TIFF file image that lies in memory through libtiff's client
// interface, read only and without copying: libtiff reads the strips and tiles
// straight from the caller's bytes. libtiff's warnings and errors go to this
// handle's own handlers and are dropped, so nothing is printed.

#include <cstdint>
#include <span>

struct tiff;
typedef struct tiff TIFF;

namespace tiffspi {

class TiffMemoryFile {
public:
    TiffMemoryFile() = default;
    ~TiffMemoryFile();
    TiffMemoryFile(const TiffMemoryFile&) = delete;
    TiffMemoryFile& operator=(const TiffMemoryFile&) = delete;

    // Reads the header and the first directory. `bytes` must outlive this
    // object. False when libtiff cannot make sense of them.
    [[nodiscard]] bool open(std::span<const std::uint8_t> bytes);

    // The open handle, or null.
    [[nodiscard]] TIFF* handle() const { return tiff_; }

    // Called by the stream callbacks.
    [[nodiscard]] std::int64_t read(void* buffer, std::int64_t size);
    [[nodiscard]] std::uint64_t seek(std::uint64_t offset, int whence);
    [[nodiscard]] std::span<const std::uint8_t> bytes() const { return bytes_; }

private:
    std::span<const std::uint8_t> bytes_;
    std::uint64_t position_ = 0;
    TIFF* tiff_ = nullptr;
};

} // namespace tiffspi
