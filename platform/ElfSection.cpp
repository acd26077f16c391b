#include "platform/ElfSection.h"

#include <QFile>
#include <QtEndian>
#include <cerrno>

namespace platform {

namespace {

struct SectionHeader {
    quint32 name = 0;
    quint64 offset = 0;
    quint64 size = 0;
};

template <typename T> T le(const QByteArray& bytes, qint64 at) {
    return qFromLittleEndian<T>(bytes.constData() + at);
}

// Reads `size` bytes at `offset`; empty when they lie outside the file.
QByteArray readAt(QFile& file, quint64 offset, quint64 size) {
    const auto fileSize = static_cast<quint64>(file.size());
    if (offset > fileSize || size > fileSize - offset || !file.seek(static_cast<qint64>(offset)))
        return {};
    QByteArray bytes = file.read(static_cast<qint64>(size));
    return bytes.size() == static_cast<qsizetype>(size) ? bytes : QByteArray();
}

} // namespace

std::optional<QByteArray> readElfSection(const QString& path, const QByteArray& sectionName,
                                         qint64 maxBytes, int* error) {
    int ignored = 0;
    int& err = error ? *error : ignored;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err = file.error() == QFileDevice::PermissionsError ? EACCES : ENOENT;
        return std::nullopt;
    }
    const QByteArray ident = file.read(64);
    if (ident.size() < 52 ||
        !ident.startsWith("\x7f"
                          "ELF") ||
        ident[5] != 1) {
        err = ENOEXEC;
        return std::nullopt;
    }
    const bool is64 = ident[4] == 2;
    if (is64 && ident.size() < 64) {
        err = ENOEXEC;
        return std::nullopt;
    }
    const quint64 shoff = is64 ? le<quint64>(ident, 0x28) : le<quint32>(ident, 0x20);
    const quint16 shentsize = le<quint16>(ident, is64 ? 0x3A : 0x2E);
    const quint16 shnum = le<quint16>(ident, is64 ? 0x3C : 0x30);
    const quint16 shstrndx = le<quint16>(ident, is64 ? 0x3E : 0x32);
    const quint16 minEntry = is64 ? 64 : 40;
    if (shentsize < minEntry || shnum == 0 || shstrndx >= shnum) {
        err = ENODATA;
        return std::nullopt;
    }
    const QByteArray table = readAt(file, shoff, quint64(shentsize) * shnum);
    if (table.isEmpty()) {
        err = ENOEXEC;
        return std::nullopt;
    }
    const auto header = [&](quint16 index) {
        const qint64 at = qint64(index) * shentsize;
        SectionHeader h;
        h.name = le<quint32>(table, at);
        h.offset = is64 ? le<quint64>(table, at + 0x18) : le<quint32>(table, at + 0x10);
        h.size = is64 ? le<quint64>(table, at + 0x20) : le<quint32>(table, at + 0x14);
        return h;
    };
    const SectionHeader names = header(shstrndx);
    const QByteArray strings = readAt(file, names.offset, std::min<quint64>(names.size, 1 << 20));
    for (quint16 i = 0; i < shnum; ++i) {
        const SectionHeader h = header(i);
        if (h.name >= static_cast<quint64>(strings.size()))
            continue;
        const qsizetype end = strings.indexOf('\0', h.name);
        if (end < 0 || strings.mid(h.name, end - h.name) != sectionName)
            continue;
        const QByteArray bytes =
            readAt(file, h.offset, std::min<quint64>(h.size, static_cast<quint64>(maxBytes)));
        if (bytes.isEmpty() && h.size != 0) {
            err = ENOEXEC;
            return std::nullopt;
        }
        err = 0;
        return bytes;
    }
    err = ENODATA;
    return std::nullopt;
}

} // namespace platform
