#pragma once

// The version record a program carries: a fixed part with the file and product
// versions, a table of named strings per translation, and the list of
// translations. The layout is the classic one (nested blocks of length, value
// length, type, UTF-16 key, 32-bit aligned value and children), so records
// written for other systems read the same.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace platform {

// The record's fixed part, 13 little-endian 32-bit words (52 bytes).
struct FixedFileInfo {
    static constexpr std::uint32_t Signature = 0xFEEF04BD;
    static constexpr int Size = 52;

    std::uint32_t dwSignature = 0;
    std::uint32_t dwStrucVersion = 0;
    std::uint32_t dwFileVersionMS = 0;
    std::uint32_t dwFileVersionLS = 0;
    std::uint32_t dwProductVersionMS = 0;
    std::uint32_t dwProductVersionLS = 0;
    std::uint32_t dwFileFlagsMask = 0;
    std::uint32_t dwFileFlags = 0;
    std::uint32_t dwFileOS = 0;
    std::uint32_t dwFileType = 0;
    std::uint32_t dwFileSubtype = 0;
    std::uint32_t dwFileDateMS = 0;
    std::uint32_t dwFileDateLS = 0;

    // Versions given as four 16-bit parts, e.g. {1, 0, 1, 52}.
    static FixedFileInfo forVersions(std::array<std::uint16_t, 4> file,
                                     std::array<std::uint16_t, 4> product);
    [[nodiscard]] QByteArray toBytes() const;
    // Takes the first 52 bytes of `bytes`; nothing when there are fewer.
    static std::optional<FixedFileInfo> fromBytes(QByteArrayView bytes);

    friend bool operator==(const FixedFileInfo&, const FixedFileInfo&) = default;
};

// Writes a record. Strings are grouped in tables, one per translation key
// ("041103A4"); translations are (language, code page) pairs.
class VersionRecordBuilder {
public:
    VersionRecordBuilder& setFixedInfo(const FixedFileInfo& info);
    VersionRecordBuilder& addString(const QString& tableKey, const QString& name,
                                    const QString& value);
    VersionRecordBuilder& addTranslation(std::uint16_t language, std::uint16_t codePage);
    // Leaves out the translation list altogether (for records that lack it).
    VersionRecordBuilder& withoutTranslationList();
    [[nodiscard]] QByteArray build() const;

private:
    std::optional<FixedFileInfo> fixed_;
    QList<std::pair<QString, QList<std::pair<QString, QString>>>> tables_;
    QList<std::pair<std::uint16_t, std::uint16_t>> translations_;
    bool translationList_ = true;
};

// Answers queries on a record the way a version query does: "\" for the fixed
// part, "\VarFileInfo\Translation" for the translation list and
// "\StringFileInfo\<key>\<name>" for a string. Keys compare without regard to
// case. Every block is checked against its parent's bounds, so a truncated or
// malformed record answers what is sound in it and never reads past its end.
class VersionRecord {
public:
    explicit VersionRecord(QByteArray bytes);

    [[nodiscard]] std::optional<FixedFileInfo> fixedInfo() const;
    // The translation list's words, in pairs; nothing when it is missing.
    [[nodiscard]] std::optional<QList<std::pair<std::uint16_t, std::uint16_t>>>
    translations() const;
    [[nodiscard]] std::optional<QString> string(const QString& tableKey, const QString& name) const;

    // The raw value at `path` and whether it is text; nothing when not found.
    struct Value {
        QByteArrayView bytes;
        bool isText = false;
    };
    [[nodiscard]] std::optional<Value> query(const QString& path) const;

private:
    QByteArray bytes_;
};

} // namespace platform
