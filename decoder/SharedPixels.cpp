#include "decoder/SharedPixels.h"

#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace decoder {

namespace {

constexpr int RequiredSeals = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL;

struct Mapping {
    void* address;
    std::size_t length;
};

void unmap(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    ::munmap(mapping->address, mapping->length);
    delete mapping;
}

} // namespace

int writeSharedPixels(const QImage& image) {
    const std::size_t length = std::size_t(image.sizeInBytes());
    const int descriptor = ::memfd_create("sorteka-pixels", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (descriptor < 0)
        return -1;
    if (::ftruncate(descriptor, off_t(length)) != 0) {
        ::close(descriptor);
        return -1;
    }
    if (length > 0) {
        void* address = ::mmap(nullptr, length, PROT_WRITE, MAP_SHARED, descriptor, 0);
        if (address == MAP_FAILED) {
            ::close(descriptor);
            return -1;
        }
        std::memcpy(address, image.constBits(), length);
        // No writable mapping may remain once the content is sealed.
        ::munmap(address, length);
    }
    if (::fcntl(descriptor, F_ADD_SEALS, RequiredSeals) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

QImage mapSharedPixels(int descriptor, const DecodeResult& result) {
    const auto format = QImage::Format(result.imageFormat);
    const bool knownFormat =
        format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied;
    struct stat status {};
    const bool sealed = (::fcntl(descriptor, F_GET_SEALS) & RequiredSeals) == RequiredSeals;
    const qint64 rowBytes = qint64(result.pixelWidth) * 4;
    const qint64 length = qint64(result.bytesPerLine) * result.pixelHeight;
    const bool fits = result.pixelWidth > 0 && result.pixelHeight > 0 &&
                      result.bytesPerLine >= rowBytes && result.bytesPerLine % 4 == 0 &&
                      ::fstat(descriptor, &status) == 0 && length <= qint64(status.st_size);
    if (!knownFormat || !sealed || !fits) {
        ::close(descriptor);
        return {};
    }
    // Paged in now, as the picture arrives ahead of its key, not on the
    // first paint, which would otherwise take a fault for every page.
    void* address =
        ::mmap(nullptr, std::size_t(length), PROT_READ, MAP_SHARED | MAP_POPULATE, descriptor, 0);
    ::close(descriptor);
    if (address == MAP_FAILED)
        return {};
    auto* mapping = new Mapping{address, std::size_t(length)};
    return QImage(static_cast<const uchar*>(address), result.pixelWidth, result.pixelHeight,
                  result.bytesPerLine, format, &unmap, mapping);
}

} // namespace decoder
