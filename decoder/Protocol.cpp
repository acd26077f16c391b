#include "decoder/Protocol.h"

#include <sys/stat.h>

namespace decoder {

namespace {

class Writer {
public:
    void u8(quint8 value) { bytes_.append(char(value)); }
    void u32(quint32 value) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes_.append(char((value >> shift) & 0xff));
    }
    void u64(quint64 value) {
        for (int shift = 0; shift < 64; shift += 8)
            bytes_.append(char((value >> shift) & 0xff));
    }
    void i32(qint32 value) { u32(quint32(value)); }
    void i64(qint64 value) { u64(quint64(value)); }
    void bytes(const QByteArray& value) {
        u32(quint32(value.size()));
        bytes_.append(value);
    }
    void text(const QString& value) { bytes(value.toUtf8()); }
    void texts(const QStringList& values) {
        u32(quint32(values.size()));
        for (const QString& value : values)
            text(value);
    }
    void identity(const FileIdentity& value) {
        u64(value.device);
        u64(value.inode);
        i64(value.size);
        i64(value.modifiedNs);
        i64(value.changedNs);
    }
    [[nodiscard]] QByteArray take() { return std::move(bytes_); }

private:
    QByteArray bytes_;
};

// Reads a payload front to back; the first read past its end (or of a count
// larger than what is left) makes every later read fail too.
class Reader {
public:
    explicit Reader(const QByteArray& bytes) : bytes_(bytes) {}

    bool u8(quint8* value) {
        if (!take(1))
            return false;
        *value = quint8(bytes_[at_ - 1]);
        return true;
    }
    bool u32(quint32* value) { return little(value, 4); }
    bool u64(quint64* value) { return little(value, 8); }
    bool i32(qint32* value) {
        quint32 raw = 0;
        if (!u32(&raw))
            return false;
        *value = qint32(raw);
        return true;
    }
    bool i64(qint64* value) {
        quint64 raw = 0;
        if (!u64(&raw))
            return false;
        *value = qint64(raw);
        return true;
    }
    bool bytes(QByteArray* value) {
        quint32 length = 0;
        if (!u32(&length) || !take(length))
            return false;
        *value = bytes_.mid(at_ - qsizetype(length), qsizetype(length));
        return true;
    }
    bool text(QString* value) {
        QByteArray raw;
        if (!bytes(&raw))
            return false;
        *value = QString::fromUtf8(raw);
        return true;
    }
    bool texts(QStringList* values) {
        quint32 count = 0;
        // Each text takes at least its 4-byte length: a count beyond that is garbage.
        if (!u32(&count) || count > remaining() / 4)
            return fail();
        values->clear();
        values->reserve(qsizetype(count));
        for (quint32 i = 0; i < count; ++i) {
            QString value;
            if (!text(&value))
                return false;
            values->append(value);
        }
        return true;
    }
    bool count(quint32* value, quint32 leastBytesEach) {
        if (!u32(value) || *value > remaining() / leastBytesEach)
            return fail();
        return true;
    }
    bool identity(FileIdentity* value) {
        return u64(&value->device) && u64(&value->inode) && i64(&value->size) &&
               i64(&value->modifiedNs) && i64(&value->changedNs);
    }
    // True when everything was read, exactly.
    [[nodiscard]] bool finished() const { return ok_ && at_ == bytes_.size(); }

private:
    [[nodiscard]] quint64 remaining() const { return quint64(bytes_.size() - at_); }
    bool fail() {
        ok_ = false;
        return false;
    }
    bool take(quint64 count) {
        if (!ok_ || count > remaining())
            return fail();
        at_ += qsizetype(count);
        return true;
    }
    template <typename T> bool little(T* value, int width) {
        if (!take(quint64(width)))
            return false;
        T result = 0;
        for (int i = 0; i < width; ++i)
            result |= T(quint8(bytes_[at_ - width + i])) << (8 * i);
        *value = result;
        return true;
    }

    const QByteArray& bytes_;
    qsizetype at_ = 0;
    bool ok_ = true;
};

// The message, when its payload was read exactly.
template <typename T> std::optional<T> finish(const Reader& reader, T message) {
    if (!reader.finished())
        return std::nullopt;
    return message;
}

} // namespace

FileIdentity identityOf(const QByteArray& path) {
    struct stat status {};
    if (::stat(path.constData(), &status) != 0)
        return {};
    FileIdentity identity;
    identity.device = quint64(status.st_dev);
    identity.inode = quint64(status.st_ino);
    identity.size = qint64(status.st_size);
    identity.modifiedNs = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    identity.changedNs = qint64(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec;
    return identity;
}

QByteArray encode(const Hello& message) {
    Writer out;
    out.u32(message.version);
    return out.take();
}

QByteArray encode(const Configure& message) {
    Writer out;
    out.texts(message.pluginMasks);
    out.texts(message.excludedPlugins);
    return out.take();
}

QByteArray encode(const DecodeRequest& message) {
    Writer out;
    out.u64(message.id);
    out.bytes(message.path);
    out.identity(message.identity);
    out.i32(message.maxWidth);
    out.i32(message.maxHeight);
    return out.take();
}

QByteArray encode(const PluginLoading& message) {
    Writer out;
    out.text(message.file);
    return out.take();
}

QByteArray encode(const Catalogue& message) {
    Writer out;
    out.u32(quint32(message.plugins.size()));
    for (const PluginEntry& entry : message.plugins) {
        out.text(entry.file);
        out.text(entry.apiVersion);
        out.text(entry.name);
        out.texts(entry.patterns);
        out.texts(entry.descriptions);
    }
    out.u32(quint32(message.leftOut.size()));
    for (const LeftOutPlugin& entry : message.leftOut) {
        out.text(entry.file);
        out.text(entry.reason);
    }
    return out.take();
}

QByteArray encode(const DecodeResult& message) {
    Writer out;
    out.u64(message.id);
    out.u8(message.ok ? 1 : 0);
    out.text(message.error);
    out.identity(message.identity);
    out.i32(message.width);
    out.i32(message.height);
    out.i32(message.pixelWidth);
    out.i32(message.pixelHeight);
    out.i32(message.bytesPerLine);
    out.u32(message.imageFormat);
    return out.take();
}

QByteArray encode(const Refused& message) {
    Writer out;
    out.text(message.reason);
    return out.take();
}

std::optional<Hello> decodeHello(const QByteArray& payload) {
    Reader in(payload);
    Hello message;
    in.u32(&message.version);
    return finish(in, message);
}

std::optional<Configure> decodeConfigure(const QByteArray& payload) {
    Reader in(payload);
    Configure message;
    in.texts(&message.pluginMasks) && in.texts(&message.excludedPlugins);
    return finish(in, std::move(message));
}

std::optional<DecodeRequest> decodeDecodeRequest(const QByteArray& payload) {
    Reader in(payload);
    DecodeRequest message;
    in.u64(&message.id) && in.bytes(&message.path) && in.identity(&message.identity) &&
        in.i32(&message.maxWidth) && in.i32(&message.maxHeight);
    return finish(in, std::move(message));
}

std::optional<PluginLoading> decodePluginLoading(const QByteArray& payload) {
    Reader in(payload);
    PluginLoading message;
    in.text(&message.file);
    return finish(in, std::move(message));
}

std::optional<Catalogue> decodeCatalogue(const QByteArray& payload) {
    Reader in(payload);
    Catalogue message;
    quint32 count = 0;
    // An entry takes at least five 4-byte lengths; a left-out one two.
    if (in.count(&count, 20)) {
        for (quint32 i = 0; i < count; ++i) {
            PluginEntry entry;
            if (!(in.text(&entry.file) && in.text(&entry.apiVersion) && in.text(&entry.name) &&
                  in.texts(&entry.patterns) && in.texts(&entry.descriptions)))
                break;
            message.plugins.append(std::move(entry));
        }
    }
    if (in.count(&count, 8)) {
        for (quint32 i = 0; i < count; ++i) {
            LeftOutPlugin entry;
            if (!(in.text(&entry.file) && in.text(&entry.reason)))
                break;
            message.leftOut.append(std::move(entry));
        }
    }
    return finish(in, std::move(message));
}

std::optional<DecodeResult> decodeDecodeResult(const QByteArray& payload) {
    Reader in(payload);
    DecodeResult message;
    quint8 ok = 0;
    in.u64(&message.id) && in.u8(&ok) && in.text(&message.error) &&
        in.identity(&message.identity) && in.i32(&message.width) && in.i32(&message.height) &&
        in.i32(&message.pixelWidth) && in.i32(&message.pixelHeight) &&
        in.i32(&message.bytesPerLine) && in.u32(&message.imageFormat);
    if (ok > 1)
        return std::nullopt;
    message.ok = ok == 1;
    return finish(in, std::move(message));
}

std::optional<Refused> decodeRefused(const QByteArray& payload) {
    Reader in(payload);
    Refused message;
    in.text(&message.reason);
    return finish(in, std::move(message));
}

QByteArray frame(MessageType type, const QByteArray& payload) {
    Writer out;
    out.u32(quint32(payload.size()));
    out.u8(quint8(type));
    QByteArray bytes = out.take();
    bytes.append(payload);
    return bytes;
}

} // namespace decoder
