#include "graphics/EmfRewrite.h"

#include "graphics/LittleEndian.h"

#include <algorithm>
#include <limits>

namespace graphics {

namespace {

// Where the header keeps the file's size in bytes and its number of records.
constexpr qint64 FileBytesAt = 48;
constexpr qint64 RecordCountAt = 52;

} // namespace

std::optional<EmfRecord> emfRecordAt(QByteArrayView file, qint64 at) {
    const qint64 size = readU32(file, at + 4).value_or(0);
    if (size < 8 || size > file.size() - at)
        return std::nullopt;
    return EmfRecord{readU32(file, at).value_or(0), file.sliced(at, size)};
}

void putU32(QByteArray& bytes, qint64 at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xff);
}

QByteArray finishedEmf(QByteArray rewritten, QByteArrayView original, qint64 at,
                       qint64 recordChange) {
    rewritten += original.sliced(at);
    if (rewritten.size() >= RecordCountAt + 4 &&
        rewritten.size() <= std::numeric_limits<std::uint32_t>::max()) {
        putU32(rewritten, FileBytesAt, std::uint32_t(rewritten.size()));
        const qint64 records = qint64(readU32(rewritten, RecordCountAt).value_or(0)) + recordChange;
        putU32(rewritten, RecordCountAt, std::uint32_t(std::max<qint64>(records, 0)));
    }
    return rewritten;
}

} // namespace graphics
