#include "dialogs/VerInfo.h"

#include "platform/ElfSection.h"

#include <QCoreApplication>
#include <cerrno>

namespace {

// A record's length field is 16 bits wide.
constexpr qint64 MaxRecordBytes = 0xFFFF;

} // namespace

VerInfo::VerInfo() {
    Clear();
    FileName = QCoreApplication::applicationFilePath();
    Read();
}

void VerInfo::SetFileName(const QString& fileName) {
    FileName = fileName;
    Read();
}

void VerInfo::Clear() {
    FixedInfo = {};
    Language = 0;
    CodePage = 0;
    for (QString* s : {&ProductName, &ProductVersion, &OriginalFilename, &FileDescription,
                       &FileVersion, &CompanyName, &LegalCopyright, &LegalTrademarks, &InternalName,
                       &PrivateBuild, &SpecialBuild, &Comments})
        s->clear();
    LastError = 0;
}

void VerInfo::Read() {
    Clear();
    int error = 0;
    const std::optional<QByteArray> bytes =
        platform::readElfSection(FileName, VersionRecordSection, MaxRecordBytes, &error);
    if (!bytes || bytes->isEmpty()) {
        LastError = static_cast<std::uint32_t>(error ? error : ENODATA);
        return;
    }
    const platform::VersionRecord record(*bytes);
    const std::optional<platform::FixedFileInfo> fixed = record.fixedInfo();
    if (!fixed) {
        LastError = EILSEQ;
        return;
    }
    FixedInfo = *fixed;
    const auto translations = record.translations();
    if (!translations) {
        LastError = ENODATA;
        return;
    }
    Language = translations->front().first;
    CodePage = translations->front().second;
    const QString key = QStringLiteral("%1%2")
                            .arg(Language, 4, 16, QChar(u'0'))
                            .arg(CodePage, 4, 16, QChar(u'0'))
                            .toUpper();
    const std::pair<const char*, QString*> names[] = {
        {"ProductName", &ProductName},           {"ProductVersion", &ProductVersion},
        {"OriginalFilename", &OriginalFilename}, {"FileDescription", &FileDescription},
        {"FileVersion", &FileVersion},           {"CompanyName", &CompanyName},
        {"LegalCopyright", &LegalCopyright},     {"LegalTrademarks", &LegalTrademarks},
        {"InternalName", &InternalName},         {"PrivateBuild", &PrivateBuild},
        {"SpecialBuild", &SpecialBuild},         {"Comments", &Comments}};
    for (const auto& [name, field] : names)
        *field = record.string(key, QString::fromLatin1(name)).value_or(QString());
    LastError = 0;
}

QString FormatProductVersion(const VerInfo& info) {
    const platform::FixedFileInfo& f = info.FixedInfo;
    return QStringLiteral("%1.%2.%3.%4")
        .arg(f.dwProductVersionMS >> 16)
        .arg(f.dwProductVersionMS & 0xFFFF)
        .arg(f.dwProductVersionLS >> 16)
        .arg(f.dwProductVersionLS & 0xFFFF);
}
