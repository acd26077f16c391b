#include "MetafileWriter.h"
#include "PictureFiles.h"
#include "graphics/BitmapPicture.h"
#include "graphics/GraphicErrors.h"
#include "graphics/PictureFormats.h"
#include "support/TempDir.h"

#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QByteArray validBmp() {
    return encoded(halves(40, 30, Qt::red, Qt::blue, QImage::Format_RGB888), "bmp");
}

QByteArray validIco() {
    return encoded(halves(32, 32, Qt::red, Qt::blue), "ico");
}

QByteArray validWmf() {
    WmfWriter wmf(QRect(0, 0, 100, 100), 100);
    wmf.setWindow(QRect(0, 0, 100, 100));
    wmf.useSolidBrush(Qt::red);
    wmf.rectangle(QRect(10, 10, 50, 50));
    return wmf.finish();
}

QByteArray validEmf() {
    EmfWriter emf(QRect(0, 0, 100, 100));
    emf.useSolidBrush(Qt::red);
    emf.rectangle(QRect(10, 10, 50, 50));
    return emf.finish();
}

QByteArray patched32(QByteArray bytes, int at, quint32 value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xff);
    return bytes;
}

// A metafile with one bitmap record whose DIB claims more pixels than it holds.
QByteArray wmfWithOversizedDib() {
    WmfWriter wmf(QRect(0, 0, 100, 100), 100);
    QByteArray dib;
    appendU32(dib, 40);
    appendU32(dib, 30000); // width
    appendU32(dib, 30000); // height
    appendU16(dib, 1);
    appendU16(dib, 24);
    for (int i = 0; i < 6; ++i)
        appendU32(dib, 0);
    dib += QByteArray(12, '\x7f'); // four pixels' worth, not 900 million
    QList<quint16> parameters{0x0020, 0x00CC, 0, 2, 2, 0, 0, 100, 100, 0, 0};
    for (int i = 0; i < dib.size(); i += 2)
        parameters.append(quint16(quint8(dib[i]) | (quint8(dib[i + 1]) << 8)));
    wmf.record(0x0F43, parameters); // StretchDIB
    return wmf.finish();
}

QByteArray emfWithBitmapOutsideItsRecord() {
    EmfWriter emf(QRect(0, 0, 100, 100));
    QList<quint32> parameters(17, 0);
    parameters[10] = 80;   // offBmiSrc: past the 80-byte record
    parameters[11] = 40;   // cbBmiSrc
    parameters[12] = 120;  // offBitsSrc
    parameters[13] = 4000; // cbBitsSrc
    parameters[15] = 0x00CC0020;
    emf.record(81, parameters); // StretchDIBits
    return emf.finish();
}

struct HostileCase {
    const char* name; // also the file name's stem
    const char* extension;
    std::function<QByteArray()> bytes;
};

class HostileFiles : public ::testing::TestWithParam<HostileCase> {};

} // namespace

// Every hostile file is refused with our error, and a picture already loaded
// into the same object stays as it was.
TEST_P(HostileFiles, AreRefusedWithAnError) {
    const HostileCase& c = GetParam();
    TempDir dir;
    const QString path = dir.write(QString("%1.%2").arg(c.name, c.extension), c.bytes());

    try {
        (void)PictureFormats().loadFromFile(path);
        ADD_FAILURE() << "loaded " << c.name;
    } catch (const EInvalidGraphic& error) {
        EXPECT_FALSE(error.message().isEmpty());
    }

    const QString good = dir.write("good.bmp", validBmp());
    auto picture = PictureFormats().create(c.extension);
    ASSERT_NE(picture, nullptr);
    BitmapPicture reference;
    reference.loadFromFile(good);
    picture->assign(reference);
    EXPECT_THROW(picture->loadFromFile(path), EInvalidGraphic);
    EXPECT_EQ(picture->image(), reference.image());
}

INSTANTIATE_TEST_SUITE_P(
    HostileInput, HostileFiles,
    ::testing::Values(
        HostileCase{"zero_bytes", "bmp", [] { return QByteArray(); }},
        HostileCase{"zero_bytes", "ico", [] { return QByteArray(); }},
        HostileCase{"zero_bytes", "wmf", [] { return QByteArray(); }},
        HostileCase{"zero_bytes", "emf", [] { return QByteArray(); }},
        HostileCase{"png_named_bmp", "bmp",
                    [] { return encoded(halves(8, 8, Qt::red, Qt::red), "png"); }},
        HostileCase{"text_named_wmf", "wmf",
                    [] { return QByteArray("Just some text, no metafile at all.\n"); }},
        HostileCase{"text_named_ico", "ico", [] { return QByteArray(200, 'a'); }},
        HostileCase{"bmp_named_emf", "emf", [] { return validBmp(); }},
        HostileCase{"truncated_header", "bmp", [] { return validBmp().left(20); }},
        HostileCase{"truncated_pixels", "bmp", [] { return validBmp().chopped(100); }},
        HostileCase{"huge_dimensions", "bmp",
                    [] { return patched32(patched32(validBmp(), 18, 100000), 22, 100000); }},
        HostileCase{"negative_width", "bmp", [] { return patched32(validBmp(), 18, 0xFFFFFFF0); }},
        HostileCase{"pixels_beyond_end", "bmp",
                    [] { return patched32(validBmp(), 10, 0x7FFFFFFF); }},
        HostileCase{"truncated_image", "ico", [] { return validIco().chopped(64); }},
        HostileCase{"entry_beyond_end", "ico",
                    [] { return patched32(validIco(), 18, 0xFFFFFF00); }},
        HostileCase{"huge_entry_dib", "ico",
                    [] { return patched32(patched32(validIco(), 22 + 4, 60000), 22 + 8, 120000); }},
        HostileCase{"truncated_before_eof", "wmf", [] { return validWmf().chopped(6); }},
        HostileCase{"record_size_zero", "wmf", [] { return patched32(validWmf(), 22 + 18, 0); }},
        HostileCase{"record_beyond_end", "wmf",
                    [] { return patched32(validWmf(), 22 + 18, 0x7FFFFFFF); }},
        HostileCase{"oversized_embedded_dib", "wmf", [] { return wmfWithOversizedDib(); }},
        HostileCase{"truncated_before_eof", "emf", [] { return validEmf().chopped(20); }},
        HostileCase{"truncated_header", "emf", [] { return validEmf().left(60); }},
        HostileCase{"record_size_zero", "emf", [] { return patched32(validEmf(), 88 + 4, 0); }},
        HostileCase{"record_size_odd", "emf", [] { return patched32(validEmf(), 88 + 4, 13); }},
        HostileCase{"bitmap_outside_record", "emf", [] { return emfWithBitmapOutsideItsRecord(); }},
        HostileCase{"second_header", "emf", [] { return patched32(validEmf(), 88, 1); }}),
    [](const auto& testInfo) {
        return std::string(testInfo.param.name) + "_" + std::string(testInfo.param.extension);
    });

// Only regular files are read: a FIFO would block the program, a device never end.
TEST(HostileInput, SpecialFilesAreRefusedWithoutBlocking) {
    TempDir dir;
    const QString fifo = dir.file("pipe.bmp");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_THROW((void)PictureFormats().loadFromFile(fifo), EInvalidGraphic);
    BitmapPicture picture;
    EXPECT_THROW(picture.loadFromFile(QStringLiteral("/dev/zero")), EInvalidGraphic);
}

// Damage at every position of a valid file never crashes, hangs or reads past
// the data: each variant either loads or raises our error.
TEST(HostileInput, EveryTruncationOfValidFilesIsHandled) {
    struct Sample {
        const char* extension;
        QByteArray bytes;
    };
    const Sample samples[] = {
        {"bmp", validBmp()}, {"ico", validIco()}, {"wmf", validWmf()}, {"emf", validEmf()}};
    for (const Sample& sample : samples) {
        const auto factory = [&] { return PictureFormats().create(sample.extension); };
        int loaded = 0;
        for (qsizetype length = 0; length < sample.bytes.size(); ++length) {
            auto picture = factory();
            try {
                picture->loadFromData(sample.bytes.left(length));
                ++loaded;
            } catch (const EInvalidGraphic&) {
            }
        }
        // Only the full file is whole; a cut one is never taken as a picture.
        EXPECT_EQ(loaded, 0) << sample.extension;
        auto whole = factory();
        EXPECT_NO_THROW(whole->loadFromData(sample.bytes)) << sample.extension;
    }
}
