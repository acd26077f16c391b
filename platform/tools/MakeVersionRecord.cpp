// Build step: writes a C++ source that places the program's version record in
// the executable's ".verinfo" section, where the about box reads it back.
//   sorteka-make-version OUTPUT.cpp MAJOR.MINOR.RELEASE.BUILD

#include "platform/VersionRecord.h"

#include <QFile>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.cpp VERSION\n", argv[0]);
        return 2;
    }
    const QStringList parts = QString::fromUtf8(argv[2]).split(u'.');
    std::array<std::uint16_t, 4> version{};
    for (qsizetype i = 0; i < 4 && i < parts.size(); ++i)
        version[static_cast<size_t>(i)] = static_cast<std::uint16_t>(parts[i].toUInt());
    const QString key = QStringLiteral("041103A4");
    const QByteArray record =
        platform::VersionRecordBuilder()
            .setFixedInfo(platform::FixedFileInfo::forVersions(version, version))
            .addString(key, "CompanyName", "")
            .addString(key, "FileDescription", "")
            .addString(key, "FileVersion", QString::fromUtf8(argv[2]))
            .addString(key, "InternalName", "")
            .addString(key, "LegalCopyright", "Copyright (C) 2026 Sorteka developers")
            .addString(key, "LegalTrademarks", "")
            .addString(key, "OriginalFilename", "sorteka")
            .addString(key, "ProductName", "Sorteka for Windows")
            .addString(key, "ProductVersion", "1.0.0.0")
            .addString(key, "Comments", "")
            .addTranslation(0x0411, 0x03A4)
            .build();

    QByteArray source = "// Generated at build time; do not edit.\n"
                        "extern const unsigned char sortekaVersionRecord[];\n"
                        "__attribute__((section(\".verinfo\"), used, aligned(4)))\n"
                        "const unsigned char sortekaVersionRecord[] = {";
    for (qsizetype i = 0; i < record.size(); ++i) {
        if (i % 16 == 0)
            source += "\n   ";
        source += " " + QByteArray::number(static_cast<unsigned char>(record[i])) + ",";
    }
    source += "\n};\n";
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(source) != source.size())
        return 1;
    return 0;
}
