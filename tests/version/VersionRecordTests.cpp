#include "platform/VersionRecord.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using platform::FixedFileInfo;
using platform::VersionRecord;
using platform::VersionRecordBuilder;

namespace {

QByteArray programLikeRecord() {
    return VersionRecordBuilder()
        .setFixedInfo(FixedFileInfo::forVersions({1, 0, 1, 52}, {1, 0, 1, 52}))
        .addString("041103A4", "ProductName", "Sorteka for Windows")
        .addString("041103A4", "FileVersion", "1.0.1.52")
        .addString("041103A4", "Comments", "")
        .addTranslation(0x0411, 0x03A4)
        .build();
}

} // namespace

TEST(VersionRecord, AnswersTheClassicQueries) {
    const VersionRecord record(programLikeRecord());
    const auto fixed = record.fixedInfo();
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00010034u);
    const auto translations = record.translations();
    ASSERT_TRUE(translations);
    EXPECT_EQ(translations->size(), 1);
    EXPECT_EQ(translations->front().first, 0x0411);
    EXPECT_EQ(translations->front().second, 0x03A4);
    EXPECT_EQ(record.string("041103A4", "ProductName"), "Sorteka for Windows");
    // Keys compare without regard to case; a missing entry is no empty one.
    EXPECT_EQ(record.string("041103a4", "productname"), "Sorteka for Windows");
    EXPECT_EQ(record.string("041103A4", "Comments"), "");
    EXPECT_EQ(record.string("041103A4", "SpecialBuild"), std::nullopt);
    EXPECT_EQ(record.string("04090000", "ProductName"), std::nullopt);
}

TEST(VersionRecord, ATruncatedRecordAnswersWhatIsSoundAndNeverReadsPastItsEnd) {
    const QByteArray whole = programLikeRecord();
    const qsizetype fixedEnd = 40 + 52; // header and key padded to 4, fixed part
    for (qsizetype length = 0; length < whole.size(); ++length) {
        // A copy of exactly `length` bytes, so any over-read is a real one.
        QByteArray cut(whole.constData(), length);
        cut.squeeze();
        const VersionRecord record(cut);
        (void)record.translations();
        (void)record.string("041103A4", "ProductName");
        // The outer length now points past the data: nothing is trusted.
        EXPECT_FALSE(record.fixedInfo()) << length;
    }
    // A record whose outer length is cut to just the fixed part keeps that part.
    QByteArray shortened = whole.left(fixedEnd);
    shortened[0] = static_cast<char>(fixedEnd & 0xFF);
    shortened[1] = static_cast<char>(fixedEnd >> 8);
    const VersionRecord record(shortened);
    EXPECT_TRUE(record.fixedInfo());
    EXPECT_FALSE(record.translations());
}

TEST(VersionRecord, MalformedLengthsAreRefused) {
    QByteArray bytes = programLikeRecord();
    // Every 16-bit word set to extreme values in turn must not crash or loop.
    for (qsizetype at = 0; at + 1 < bytes.size(); at += 2) {
        for (const quint16 value : {quint16(0), quint16(1), quint16(5), quint16(0xFFFF)}) {
            QByteArray broken = bytes;
            broken[at] = static_cast<char>(value & 0xFF);
            broken[at + 1] = static_cast<char>(value >> 8);
            const VersionRecord record(broken);
            (void)record.fixedInfo();
            (void)record.translations();
            (void)record.string("041103A4", "FileVersion");
        }
    }
    SUCCEED();
}
