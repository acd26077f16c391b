#include "graphics/IcoDirectory.h"

#include "graphics/GraphicErrors.h"
#include "graphics/LittleEndian.h"

namespace graphics {
namespace {

constexpr qint64 DirectoryHeaderBytes = 6;
constexpr qint64 EntryBytes = 16;
constexpr char PngSignature[] = "\x89PNG\r\n\x1a\n";

} // namespace

QList<IcoEntry> readIcoDirectory(QByteArrayView bytes) {
    const auto reserved = readU16(bytes, 0);
    const auto type = readU16(bytes, 2);
    const auto count = readU16(bytes, 4);
    if (!reserved || !type || !count || *reserved != 0 || *type != 1 || *count == 0)
        throw EInvalidGraphic(QStringLiteral("アイコン形式ではありません"));
    const qint64 directoryEnd = DirectoryHeaderBytes + EntryBytes * *count;
    if (directoryEnd > bytes.size())
        throw EInvalidGraphic(QStringLiteral("アイコンが途中で切れています"));

    QList<IcoEntry> entries;
    entries.reserve(*count);
    for (int i = 0; i < *count; ++i) {
        const qint64 at = DirectoryHeaderBytes + EntryBytes * i;
        IcoEntry e;
        const auto w = static_cast<unsigned char>(bytes[at]);
        const auto h = static_cast<unsigned char>(bytes[at + 1]);
        e.width = w == 0 ? 256 : w;
        e.height = h == 0 ? 256 : h;
        e.bitCount = *readU16(bytes, at + 6);
        e.size = *readU32(bytes, at + 8);
        e.offset = *readU32(bytes, at + 12);
        if (e.offset < directoryEnd || e.size == 0 || e.offset + e.size > bytes.size())
            throw EInvalidGraphic(QStringLiteral("アイコンが途中で切れています"));
        const QByteArrayView data = bytes.sliced(e.offset, e.size);
        e.png = data.startsWith(QByteArrayView(PngSignature, 8));
        entries.append(e);
    }
    return entries;
}

qsizetype bestIcoEntry(const QList<IcoEntry>& entries) {
    qsizetype best = 0;
    for (qsizetype i = 1; i < entries.size(); ++i) {
        const IcoEntry& e = entries[i];
        const IcoEntry& b = entries[best];
        const qint64 area = qint64(e.width) * e.height;
        const qint64 bestArea = qint64(b.width) * b.height;
        if (area > bestArea || (area == bestArea && e.bitCount > b.bitCount))
            best = i;
    }
    return best;
}

} // namespace graphics
