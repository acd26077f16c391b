#include "core/JournalRecord.h"

#include "platform/NativePath.h"

#include <QtEndian>
#include <array>
#include <cstring>

namespace journal {

namespace {

enum Kind : quint8 { ActionKind = 1, UndoneKind = 2 };

constexpr std::array<quint32, 256> crcTable() {
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<quint32, 256> CrcTable = crcTable();

class Writer {
public:
    void u8(quint8 v) { bytes_.append(char(v)); }
    void u64(quint64 v) {
        char le[8];
        qToLittleEndian(v, le);
        bytes_.append(le, 8);
    }
    void bytes(const QByteArray& b) {
        char le[4];
        qToLittleEndian(quint32(b.size()), le);
        bytes_.append(le, 4);
        bytes_.append(b);
    }
    void path(const QString& p) { bytes(platform::encodePath(p)); }
    [[nodiscard]] QByteArray framed() const {
        QByteArray record(FrameBytes, Qt::Uninitialized);
        qToLittleEndian(quint32(bytes_.size()), record.data());
        qToLittleEndian(crc32(bytes_), record.data() + 4);
        return record + bytes_;
    }

private:
    QByteArray bytes_;
};

// Reads a payload; any read past its end sets ok() false and yields zeros.
class Reader {
public:
    explicit Reader(QByteArrayView bytes) : bytes_(bytes) {}
    quint8 u8() { return take(1) ? quint8(bytes_[pos_ - 1]) : 0; }
    quint64 u64() { return take(8) ? qFromLittleEndian<quint64>(bytes_.data() + pos_ - 8) : 0; }
    QString path() {
        const quint32 size = take(4) ? qFromLittleEndian<quint32>(bytes_.data() + pos_ - 4) : 0;
        if (!take(size))
            return {};
        return platform::decodePath(QByteArray(bytes_.data() + pos_ - size, size));
    }
    [[nodiscard]] bool finished() const { return ok_ && pos_ == bytes_.size(); }

private:
    bool take(qsizetype n) {
        if (!ok_ || n > bytes_.size() - pos_) {
            ok_ = false;
            return false;
        }
        pos_ += n;
        return true;
    }
    QByteArrayView bytes_;
    qsizetype pos_ = 0;
    bool ok_ = true;
};

} // namespace

quint32 crc32(QByteArrayView bytes) {
    quint32 c = 0xFFFFFFFFu;
    for (const char b : bytes)
        c = CrcTable[(c ^ quint8(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray actionRecord(const JournalEntry& entry) {
    Writer w;
    w.u8(ActionKind);
    w.u64(entry.id);
    w.u8(quint8(entry.number));
    w.u8(quint8(entry.method));
    w.u8(quint8(entry.older));
    w.u8(entry.undone ? 1 : 0);
    w.path(entry.source);
    w.path(entry.destination);
    w.path(entry.olderPath);
    w.u64(entry.written.device);
    w.u64(entry.written.inode);
    w.u64(quint64(entry.written.size));
    w.u64(quint64(entry.written.modifiedNs));
    return w.framed();
}

QByteArray undoneRecord(quint64 id) {
    Writer w;
    w.u8(UndoneKind);
    w.u64(id);
    return w.framed();
}

std::optional<Decoded> decodeRecord(QByteArrayView bytes, qsizetype& used) {
    if (bytes.size() < FrameBytes)
        return std::nullopt;
    const quint32 length = qFromLittleEndian<quint32>(bytes.data());
    const quint32 crc = qFromLittleEndian<quint32>(bytes.data() + 4);
    if (length > LargestPayload || length > bytes.size() - FrameBytes)
        return std::nullopt;
    const QByteArrayView payload = bytes.sliced(FrameBytes, length);
    if (crc32(payload) != crc)
        return std::nullopt;

    Reader r(payload);
    Decoded decoded;
    const quint8 kind = r.u8();
    if (kind == UndoneKind) {
        decoded.undoneId = r.u64();
    } else if (kind == ActionKind) {
        JournalEntry e;
        e.id = r.u64();
        e.number = r.u8();
        const quint8 method = r.u8();
        const quint8 older = r.u8();
        e.undone = r.u8() != 0;
        e.source = r.path();
        e.destination = r.path();
        e.olderPath = r.path();
        e.written.device = r.u64();
        e.written.inode = r.u64();
        e.written.size = qint64(r.u64());
        e.written.modifiedNs = qint64(r.u64());
        if (method > quint8(SortMethod::Move) || older > quint8(OlderFile::Replaced))
            return std::nullopt;
        e.method = SortMethod(method);
        e.older = OlderFile(older);
        decoded.action = std::move(e);
    } else {
        return std::nullopt;
    }
    if (!r.finished())
        return std::nullopt;
    used = FrameBytes + length;
    return decoded;
}

} // namespace journal
