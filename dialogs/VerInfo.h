#pragma once

// Everything one file's version record says: the fixed part, the first
// translation, and twelve named strings for that translation. Reading never
// raises and never shows anything; a failure leaves the fields cleared and the
// reason (an errno value) in LastError.

#include "platform/VersionRecord.h"

#include <QString>
#include <cstdint>

class VerInfo {
public:
    // Reads the running program's own executable.
    VerInfo();

    QString FileName;
    platform::FixedFileInfo FixedInfo;
    std::uint16_t Language = 0;
    std::uint16_t CodePage = 0;
    QString ProductName;
    QString ProductVersion;
    QString OriginalFilename;
    QString FileDescription;
    QString FileVersion;
    QString CompanyName;
    QString LegalCopyright;
    QString LegalTrademarks;
    QString InternalName;
    QString PrivateBuild;
    QString SpecialBuild;
    QString Comments;
    std::uint32_t LastError = 0;

    void SetFileName(const QString& fileName);
    void Read();
    void Clear();
};

// The fixed product version as "a.b.c.d" in decimal.
[[nodiscard]] QString FormatProductVersion(const VerInfo& info);

// The ELF section that carries a program's version record.
inline constexpr char VersionRecordSection[] = ".verinfo";
