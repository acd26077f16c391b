#include "dialogs/About.h"
#include "dialogs/VerInfo.h"
#include "support/TempDir.h"

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <cerrno>
#include <gtest/gtest.h>

using platform::FixedFileInfo;
using platform::VersionRecordBuilder;

namespace {

// An ELF file (a copy of a system program) carrying `record` in its version section.
QString elfWithRecord(const TempDir& tmp, const QByteArray& record) {
    const QString data = tmp.write("record.bin", record);
    const QString target = tmp.file("program");
    QProcess objcopy;
    objcopy.start(OBJCOPY, {QString("--add-section"), QString(".verinfo=") + data,
                            QString("/bin/true"), target});
    objcopy.waitForFinished();
    EXPECT_EQ(objcopy.exitCode(), 0) << objcopy.readAllStandardError().toStdString();
    return target;
}

VersionRecordBuilder versioned(std::array<std::uint16_t, 4> v) {
    return VersionRecordBuilder().setFixedInfo(FixedFileInfo::forVersions(v, v));
}

} // namespace

TEST(VerInfo, ReadsTheProgramsOwnRecord) {
    VerInfo info;
    info.SetFileName(SORTEKA_EXECUTABLE);
    EXPECT_EQ(info.LastError, 0u);
    EXPECT_EQ(FormatProductVersion(info), "1.0.1.52");
    EXPECT_EQ(info.Language, 0x0411);
    EXPECT_EQ(info.CodePage, 0x03A4);
    EXPECT_EQ(info.ProductName, "Sorteka for Windows");
    EXPECT_EQ(info.FileVersion, "1.0.1.52");
    EXPECT_EQ(info.ProductVersion, "1.0.0.0");
    EXPECT_EQ(info.CompanyName, "");
    EXPECT_FALSE(info.LegalCopyright.isEmpty());
}

TEST(VerInfo, FilesWithoutARecordGiveZerosAndAReason) {
    VerInfo info;
    info.SetFileName("/bin/true");
    EXPECT_EQ(FormatProductVersion(info), "0.0.0.0");
    EXPECT_EQ(info.LastError, static_cast<std::uint32_t>(ENODATA));
    EXPECT_EQ(info.ProductName, "");

    info.SetFileName("/no/such/file");
    EXPECT_EQ(info.LastError, static_cast<std::uint32_t>(ENOENT));
    TempDir tmp;
    info.SetFileName(tmp.write("text.txt", "\x7f"
                                           "ELF but not really"));
    EXPECT_EQ(FormatProductVersion(info), "0.0.0.0");
    EXPECT_EQ(info.LastError, static_cast<std::uint32_t>(ENOEXEC));
    info.SetFileName("");
    EXPECT_EQ(FormatProductVersion(info), "0.0.0.0");
}

TEST(VerInfo, CraftedRecords) {
    TempDir tmp;
    VerInfo info;

    // No translation list: the version shows, the strings stay empty.
    info.SetFileName(elfWithRecord(tmp, versioned({2, 10, 300, 4000})
                                            .addString("041103A4", "ProductName", "x")
                                            .withoutTranslationList()
                                            .build()));
    EXPECT_EQ(FormatProductVersion(info), "2.10.300.4000");
    EXPECT_EQ(info.Language, 0);
    EXPECT_EQ(info.CodePage, 0);
    EXPECT_EQ(info.ProductName, "");

    // A missing string is empty while the others are read.
    info.SetFileName(elfWithRecord(tmp, versioned({1, 2, 3, 4})
                                            .addString("040904B0", "ProductName", "Other")
                                            .addString("040904B0", "Comments", "c")
                                            .addTranslation(0x0409, 0x04B0)
                                            .build()));
    EXPECT_EQ(info.ProductName, "Other");
    EXPECT_EQ(info.Comments, "c");
    EXPECT_EQ(info.FileVersion, "");
    EXPECT_EQ(info.LastError, 0u);

    // Only the first of two translations counts.
    info.SetFileName(elfWithRecord(tmp, versioned({1, 0, 0, 0})
                                            .addString("041103A4", "ProductName", "日本語")
                                            .addString("040904B0", "ProductName", "English")
                                            .addTranslation(0x0409, 0x04B0)
                                            .addTranslation(0x0411, 0x03A4)
                                            .build()));
    EXPECT_EQ(info.Language, 0x0409);
    EXPECT_EQ(info.ProductName, "English");

    info.Clear();
    EXPECT_EQ(FormatProductVersion(info), "0.0.0.0");
    EXPECT_EQ(info.ProductName, "");
}

TEST(VerInfo, TruncatedElfFilesNeverCrash) {
    TempDir tmp;
    const QByteArray whole = readAll(SORTEKA_EXECUTABLE);
    ASSERT_GT(whole.size(), 1000);
    VerInfo info;
    for (const qsizetype length : {qsizetype(0), qsizetype(4), qsizetype(63), qsizetype(64),
                                   qsizetype(4096), whole.size() / 2, whole.size() - 1}) {
        info.SetFileName(tmp.write("cut", whole.left(length)));
        EXPECT_EQ(FormatProductVersion(info), "0.0.0.0") << length;
        EXPECT_NE(info.LastError, 0u);
    }
}

TEST(AboutBox, ShowsTheVersionOfTheRunningProgram) {
    TfrmAboutBox about;
    EXPECT_EQ(about.windowTitle(), "バージョン情報");
    EXPECT_EQ(about.size(), QSize(318, 120));
    EXPECT_EQ(about.Version->text(), "Version 1.0.1.52");
    EXPECT_EQ(about.ProductName->text(), "Sorteka for Windows");
    EXPECT_FALSE(about.ProgramIcon->pixmap().isNull());
    EXPECT_EQ(about.OKButton->geometry(), QRect(231, 88, 74, 25));
}
