#include "platform/VersionRecord.h"

#include <QtEndian>

namespace platform {

namespace {

constexpr qsizetype align4(qsizetype n) {
    return (n + 3) & ~qsizetype(3);
}

void putU16(QByteArray& out, std::uint16_t v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void putU32(QByteArray& out, std::uint32_t v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void padTo4(QByteArray& out) {
    while (out.size() % 4)
        out.append('\0');
}

QByteArray utf16z(const QString& text) {
    QByteArray bytes;
    for (const QChar c : text)
        putU16(bytes, c.unicode());
    putU16(bytes, 0);
    return bytes;
}

// One block: length, value length, type, key, value, children.
QByteArray block(const QString& key, const QByteArray& value, std::uint16_t valueLength, bool text,
                 const QByteArray& children) {
    QByteArray out(6, '\0');
    out.append(utf16z(key));
    padTo4(out);
    out.append(value);
    if (!children.isEmpty()) {
        padTo4(out);
        out.append(children);
    }
    qToLittleEndian(static_cast<std::uint16_t>(out.size()), out.data());
    qToLittleEndian(valueLength, out.data() + 2);
    qToLittleEndian(static_cast<std::uint16_t>(text ? 1 : 0), out.data() + 4);
    return out;
}

QByteArray withPadding(QByteArray b) {
    padTo4(b);
    return b;
}

// A parsed block header within the record, all offsets checked.
struct Block {
    qsizetype begin = 0;
    qsizetype end = 0; // begin + length, within the parent
    std::uint16_t valueLength = 0;
    bool text = false;
    QString key;
    qsizetype valueBegin = 0;
    qsizetype childrenBegin = 0;
};

std::optional<Block> readBlock(QByteArrayView bytes, qsizetype at, qsizetype limit) {
    if (at < 0 || limit > bytes.size() || at + 6 > limit)
        return std::nullopt;
    Block b;
    b.begin = at;
    const auto length = qFromLittleEndian<std::uint16_t>(bytes.data() + at);
    b.valueLength = qFromLittleEndian<std::uint16_t>(bytes.data() + at + 2);
    b.text = qFromLittleEndian<std::uint16_t>(bytes.data() + at + 4) == 1;
    if (length < 6 || at + length > limit)
        return std::nullopt;
    b.end = at + length;
    qsizetype p = at + 6;
    for (;;) {
        if (p + 2 > b.end)
            return std::nullopt;
        const auto c = qFromLittleEndian<std::uint16_t>(bytes.data() + p);
        p += 2;
        if (c == 0)
            break;
        b.key.append(QChar(c));
    }
    b.valueBegin = std::min(align4(p), b.end);
    const qsizetype valueBytes = b.text ? qsizetype(b.valueLength) * 2 : b.valueLength;
    b.childrenBegin = std::min(align4(b.valueBegin + valueBytes), b.end);
    return b;
}

std::optional<Block> findChild(QByteArrayView bytes, const Block& parent, const QString& key) {
    qsizetype at = parent.childrenBegin;
    while (at < parent.end) {
        const std::optional<Block> child = readBlock(bytes, at, parent.end);
        if (!child)
            return std::nullopt;
        if (child->key.compare(key, Qt::CaseInsensitive) == 0)
            return child;
        const qsizetype next = align4(child->end);
        if (next <= at)
            return std::nullopt;
        at = next;
    }
    return std::nullopt;
}

} // namespace

FixedFileInfo FixedFileInfo::forVersions(std::array<std::uint16_t, 4> file,
                                         std::array<std::uint16_t, 4> product) {
    FixedFileInfo f;
    f.dwSignature = Signature;
    f.dwStrucVersion = 0x00010000;
    f.dwFileVersionMS = (std::uint32_t(file[0]) << 16) | file[1];
    f.dwFileVersionLS = (std::uint32_t(file[2]) << 16) | file[3];
    f.dwProductVersionMS = (std::uint32_t(product[0]) << 16) | product[1];
    f.dwProductVersionLS = (std::uint32_t(product[2]) << 16) | product[3];
    f.dwFileFlagsMask = 0x3F;
    f.dwFileOS = 0x40004; // NT, 32-bit windows: what readers of the layout expect
    f.dwFileType = 1;     // application
    return f;
}

QByteArray FixedFileInfo::toBytes() const {
    QByteArray out;
    for (const std::uint32_t v :
         {dwSignature, dwStrucVersion, dwFileVersionMS, dwFileVersionLS, dwProductVersionMS,
          dwProductVersionLS, dwFileFlagsMask, dwFileFlags, dwFileOS, dwFileType, dwFileSubtype,
          dwFileDateMS, dwFileDateLS})
        putU32(out, v);
    return out;
}

std::optional<FixedFileInfo> FixedFileInfo::fromBytes(QByteArrayView bytes) {
    if (bytes.size() < Size)
        return std::nullopt;
    std::array<std::uint32_t, 13> w{};
    for (size_t i = 0; i < w.size(); ++i)
        w[i] = qFromLittleEndian<std::uint32_t>(bytes.data() + 4 * i);
    return FixedFileInfo{w[0], w[1], w[2], w[3],  w[4],  w[5], w[6],
                         w[7], w[8], w[9], w[10], w[11], w[12]};
}

VersionRecordBuilder& VersionRecordBuilder::setFixedInfo(const FixedFileInfo& info) {
    fixed_ = info;
    return *this;
}

VersionRecordBuilder& VersionRecordBuilder::addString(const QString& tableKey, const QString& name,
                                                      const QString& value) {
    for (auto& table : tables_) {
        if (table.first == tableKey) {
            table.second.append({name, value});
            return *this;
        }
    }
    tables_.append({tableKey, {{name, value}}});
    return *this;
}

VersionRecordBuilder& VersionRecordBuilder::addTranslation(std::uint16_t language,
                                                           std::uint16_t codePage) {
    translations_.append({language, codePage});
    return *this;
}

VersionRecordBuilder& VersionRecordBuilder::withoutTranslationList() {
    translationList_ = false;
    return *this;
}

QByteArray VersionRecordBuilder::build() const {
    QByteArray children;
    if (!tables_.isEmpty()) {
        QByteArray tables;
        for (const auto& [key, strings] : tables_) {
            QByteArray entries;
            for (const auto& [name, value] : strings) {
                const QByteArray text = utf16z(value);
                entries.append(withPadding(
                    block(name, text, static_cast<std::uint16_t>(value.size() + 1), true, {})));
            }
            tables.append(withPadding(block(key, {}, 0, true, entries)));
        }
        children.append(withPadding(block(QStringLiteral("StringFileInfo"), {}, 0, true, tables)));
    }
    if (translationList_) {
        QByteArray list;
        for (const auto& [language, codePage] : translations_) {
            putU16(list, language);
            putU16(list, codePage);
        }
        const QByteArray var = block(QStringLiteral("Translation"), list,
                                     static_cast<std::uint16_t>(list.size()), false, {});
        children.append(withPadding(block(QStringLiteral("VarFileInfo"), {}, 0, true, var)));
    }
    const QByteArray fixed = fixed_ ? fixed_->toBytes() : QByteArray();
    return block(QStringLiteral("VS_VERSION_INFO"), fixed, static_cast<std::uint16_t>(fixed.size()),
                 false, children);
}

VersionRecord::VersionRecord(QByteArray bytes) : bytes_(std::move(bytes)) {}

std::optional<VersionRecord::Value> VersionRecord::query(const QString& path) const {
    const QByteArrayView bytes(bytes_);
    std::optional<Block> current = readBlock(bytes, 0, bytes.size());
    if (!current)
        return std::nullopt;
    for (const QString& key : path.split(u'\\', Qt::SkipEmptyParts)) {
        current = findChild(bytes, *current, key);
        if (!current)
            return std::nullopt;
    }
    const qsizetype valueBytes =
        current->text ? qsizetype(current->valueLength) * 2 : current->valueLength;
    const qsizetype available = current->end - current->valueBegin;
    return Value{bytes.sliced(current->valueBegin, std::min(valueBytes, available)), current->text};
}

std::optional<FixedFileInfo> VersionRecord::fixedInfo() const {
    const std::optional<Value> v = query(QStringLiteral("\\"));
    if (!v || v->isText)
        return std::nullopt;
    std::optional<FixedFileInfo> info = FixedFileInfo::fromBytes(v->bytes);
    if (!info || info->dwSignature != FixedFileInfo::Signature)
        return std::nullopt;
    return info;
}

std::optional<QList<std::pair<std::uint16_t, std::uint16_t>>> VersionRecord::translations() const {
    const std::optional<Value> v = query(QStringLiteral("\\VarFileInfo\\Translation"));
    if (!v || v->bytes.size() < 4)
        return std::nullopt;
    QList<std::pair<std::uint16_t, std::uint16_t>> list;
    for (qsizetype at = 0; at + 4 <= v->bytes.size(); at += 4)
        list.append({qFromLittleEndian<std::uint16_t>(v->bytes.data() + at),
                     qFromLittleEndian<std::uint16_t>(v->bytes.data() + at + 2)});
    return list;
}

std::optional<QString> VersionRecord::string(const QString& tableKey, const QString& name) const {
    const std::optional<Value> v =
        query(QStringLiteral("\\StringFileInfo\\%1\\%2").arg(tableKey, name));
    if (!v)
        return std::nullopt;
    QString text;
    for (qsizetype at = 0; at + 2 <= v->bytes.size(); at += 2) {
        const auto c = qFromLittleEndian<std::uint16_t>(v->bytes.data() + at);
        if (c == 0)
            break;
        text.append(QChar(c));
    }
    return text;
}

} // namespace platform
