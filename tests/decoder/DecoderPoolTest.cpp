// The pool against real decoder processes: plug-ins that crash, hang or exit
// while loading or decoding cost only their own files; pictures decoded ahead
// are used only while their files are unchanged.

#include "DecoderFixture.h"
#include "decoder/CatalogueFormats.h"
#include "decoder/DecoderTexts.h"
#include "platform/NativePath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <cstdio>
#include <gtest/gtest.h>

using decoder::DecoderPool;
using decoder::PictureResult;
using namespace decoder_test;

namespace {

QString reasonFor(const decoder::Catalogue& catalogue, const QString& fileName) {
    for (const decoder::LeftOutPlugin& left : catalogue.leftOut) {
        if (left.file.endsWith(fileName))
            return left.reason;
    }
    return {};
}

// Resident memory of each running child of this process (the decoders).
QList<qint64> childrenResidentBytes() {
    QList<qint64> sizes;
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        bool ours = false;
        qint64 resident = 0;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("PPid:"))
                ours = line.mid(5).trimmed() == self;
            if (line.startsWith("VmRSS:"))
                resident = line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
        }
        if (ours)
            sizes.append(resident);
    }
    return sizes;
}

} // namespace

TEST(DecoderPool, LeavesOutPluginsThatFailWhileLoadingAndNamesWhy) {
    TempDir dir;
    const QString mask =
        pluginFolder(dir, {"misbehaving", "crash_on_load", "hang_on_load", "exit_on_load"});
    // Cut short, as a copy interrupted half-way leaves it.
    const QByteArray whole =
        readAll(QStringLiteral(SORTEKA_TEST_DECODER_SPI_DIR "/misbehaving.spi"));
    dir.write(QStringLiteral("spi/truncated.spi"), whole.left(whole.size() / 2));
    dir.write(QStringLiteral("spi/notes.spi"), "not a shared object");

    DecoderPool pool(poolOptions(2, 3000));
    pool.setPluginMasks({mask});
    ASSERT_TRUE(waitForCatalogue(pool));

    const decoder::Catalogue& catalogue = pool.catalogue();
    ASSERT_EQ(catalogue.plugins.size(), 1);
    EXPECT_TRUE(catalogue.plugins[0].file.endsWith("/misbehaving.spi"));
    EXPECT_EQ(catalogue.plugins[0].patterns, QStringList{"*.mis"});
    EXPECT_TRUE(reasonFor(catalogue, "/crash_on_load.spi").contains("SIGSEGV"));
    EXPECT_TRUE(reasonFor(catalogue, "/hang_on_load.spi").contains("3秒以内"));
    EXPECT_TRUE(reasonFor(catalogue, "/exit_on_load.spi").contains("終了コード 7"));
    EXPECT_FALSE(reasonFor(catalogue, "/truncated.spi").isEmpty());
    EXPECT_EQ(reasonFor(catalogue, "/notes.spi"), decoder::NotAPluginReason);
    const QList<decoder::CatalogueFormat> formats = decoder::importFilterFormats(catalogue);
    ASSERT_EQ(formats.size(), 1);
    EXPECT_EQ(formats[0].extension, "mis");
    EXPECT_EQ(formats[0].description, "Misbehaving pictures");
    EXPECT_EQ(decoder::pluginLeftOutMessage("/p/x.spi", "why"),
              "プラグインを読み込めませんでした: /p/x.spi (why)");
}

TEST(DecoderPool, SkipsExactlyThePicturesAMisbehavingPluginCannotDecode) {
    TempDir dir;
    DecoderPool pool(poolOptions(2, 3000));
    pool.setPluginMasks({pluginFolder(dir, {"misbehaving", "tiny"})});
    pool.setViewSize(QSize(100, 100));
    // A plug-in without GetPictureScaled: decoded in full, scaled by the host.
    QByteArray tiny("TPIC\xc8\x00\x02\x00", 8);
    tiny.append(QByteArray(200 * 2 * 3, '\x40'));
    QImage bitmap(300, 150, QImage::Format_RGB32);
    bitmap.fill(Qt::red);
    const QString bmp = dir.file("e.bmp");
    ASSERT_TRUE(bitmap.save(bmp));

    const QStringList paths = {
        dir.write("a.mis", misPicture("GOOD", 400, 300)),
        dir.write("b.mis", misPicture("CRSH")),
        dir.write("c.mis", misPicture("HANG")),
        dir.write("d.mis", misPicture("EXIT")),
        bmp,
        dir.write("f.txt", "text"),
        dir.write("g.mis", misPicture("GOOD", 20, 10)),
        dir.write("h.tpc", tiny),
    };
    const QList<PictureResult> results = browse(pool, paths);
    ASSERT_EQ(results.size(), paths.size());
    for (qsizetype i = 0; i < paths.size(); ++i)
        EXPECT_EQ(results[i].path, paths[i]) << results[i].error.toStdString();

    // Reduced by the plug-in to 200 × 150, then to fit the box by the host.
    EXPECT_TRUE(results[0].ok);
    EXPECT_EQ(results[0].fullSize, QSize(400, 300));
    EXPECT_EQ(results[0].image.size(), QSize(100, 75));
    EXPECT_EQ(QColor(results[0].image.pixel(50, 40)), QColor(128, 128, 128));

    EXPECT_TRUE(results[1].error.contains("SIGSEGV")) << results[1].error.toStdString();
    EXPECT_TRUE(results[2].error.contains("3秒以内")) << results[2].error.toStdString();
    EXPECT_TRUE(results[3].error.contains("終了コード 7")) << results[3].error.toStdString();
    EXPECT_TRUE(results[4].ok);
    EXPECT_EQ(results[4].image.size(), QSize(100, 50));
    EXPECT_FALSE(results[5].ok);
    EXPECT_FALSE(results[5].error.isEmpty());
    EXPECT_TRUE(results[6].ok);
    EXPECT_EQ(results[6].image.size(), QSize(20, 10)); // never enlarged
    EXPECT_EQ(results[7].fullSize, QSize(200, 2)) << results[7].error.toStdString();
    EXPECT_EQ(results[7].image.size(), QSize(100, 1));
    EXPECT_EQ(pool.processCount(), 2);
}

TEST(DecoderPool, RecoversFromAPluginThatCrashesOnEveryThirdFile) {
    TempDir dir;
    DecoderPool pool(poolOptions(2));
    pool.setPluginMasks({pluginFolder(dir, {"misbehaving"})});
    QStringList paths;
    for (int i = 0; i < 24; ++i)
        paths.append(dir.write(QStringLiteral("%1.mis").arg(i, 2, 10, QChar('0')),
                               misPicture(i % 3 == 2 ? "CRSH" : "GOOD", 16 + i, 8)));
    // A Shift-JIS name from an old archive, not UTF-8: asked for by its own bytes.
    const QByteArray sjis = platform::encodePath(dir.path()) + "/\x93\xfa\x96\x7b.mis";
    std::FILE* file = std::fopen(sjis.constData(), "wb");
    ASSERT_NE(file, nullptr);
    const QByteArray picture = misPicture("GOOD", 16 + 24, 8);
    std::fwrite(picture.constData(), 1, std::size_t(picture.size()), file);
    std::fclose(file);
    paths.append(platform::decodePath(sjis));
    const QList<PictureResult> results = browse(pool, paths);
    ASSERT_EQ(results.size(), paths.size());
    for (qsizetype i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(results[i].ok, i % 3 != 2) << i << results[i].error.toStdString();
        if (results[i].ok) {
            EXPECT_EQ(results[i].image.width(), 16 + i);
        }
    }
}

TEST(DecoderPool, MetafilesThatLeakAreDrawnByFreshDecoders) {
    // libwmf keeps every metafile's raster picture (tens of MB here): a
    // decoder that has grown too large makes way for a fresh one between
    // pictures, and no picture is lost on the way.
    TempDir dir;
    DecoderPool pool(poolOptions(2));
    pool.setViewSize(QSize(269, 333)); // the pane's
    pool.setPluginMasks({});
    QFile metafile(QStringLiteral(SORTEKA_TEST_LEAKY_WMF));
    ASSERT_TRUE(metafile.open(QIODevice::ReadOnly));
    const QByteArray bytes = metafile.readAll();
    QStringList paths;
    for (int i = 0; i < 32; ++i)
        paths.append(dir.write(QStringLiteral("%1.wmf").arg(i, 2, 10, QChar('0')), bytes));
    const QList<PictureResult> results = browse(pool, paths);
    ASSERT_EQ(results.size(), paths.size());
    for (const PictureResult& result : results)
        EXPECT_TRUE(result.ok) << result.error.toStdString();
    for (const qint64 resident : childrenResidentBytes())
        EXPECT_LT(resident, decoder::RetireAboveBytes + (qint64(100) << 20));
}

TEST(DecoderPool, UsesAPictureDecodedAheadOnlyWhileItsFileIsUnchanged) {
    TempDir dir;
    decoder::PoolOptions options = poolOptions(1);
    options.aheadPictures = 2;
    DecoderPool pool(options);
    pool.setPluginMasks({pluginFolder(dir, {"misbehaving"})});
    const QString shown = dir.write("0.mis", misPicture("GOOD", 10, 10));
    QStringList upcoming;
    for (int i = 1; i <= 4; ++i)
        upcoming.append(dir.write(QStringLiteral("%1.mis").arg(i), misPicture("GOOD", 10 * i, 10)));

    QSignalSpy ready(&pool, &DecoderPool::pictureReady);
    pool.requestPicture(shown);
    pool.setUpcoming(upcoming);
    ASSERT_TRUE(ready.wait(60000));
    // Two ahead, no more.
    ASSERT_TRUE(QTest::qWaitFor([&] { return pool.cachedPictures() == 2; }, 60000));
    EXPECT_EQ(pool.cachedPictures(), 2);

    // Rewritten after their decode: one to another size, one to another grey of
    // the same size; both dated later, as a slow clock may not tell.
    dir.write("1.mis", misPicture("GOOD", 30, 20));
    dir.write("2.mis", misPicture("GOOD", 20, 10, 200));
    for (const QString& path : upcoming.mid(0, 2)) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                     QFileDevice::FileModificationTime));
    }
    const QList<PictureResult> results = browse(pool, upcoming);
    ASSERT_EQ(results.size(), 4);
    EXPECT_EQ(results[0].image.size(), QSize(30, 20));
    EXPECT_EQ(QColor(results[1].image.pixel(0, 0)), QColor(200, 200, 200));
    EXPECT_EQ(results[2].image.size(), QSize(30, 10));
    EXPECT_EQ(results[3].image.size(), QSize(40, 10));
}

TEST(DecoderPool, GivesUpOnADecoderThatCannotBeStartedOrSpeaksAnotherVersion) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral(SORTEKA_TEST_WRONG_VERSION_DECODER), "プロトコルの版が違います"},
        {QStringLiteral("/nonexistent/sorteka-decoder"), "デコーダーを起動できませんでした"},
    };
    for (const auto& [executable, reason] : cases) {
        TempDir dir;
        decoder::PoolOptions options = poolOptions(1);
        options.executable = executable;
        DecoderPool pool(options);
        pool.setPluginMasks({pluginFolder(dir, {"misbehaving"})});
        ASSERT_TRUE(waitForCatalogue(pool));
        EXPECT_TRUE(pool.catalogue().plugins.isEmpty());

        const QList<PictureResult> results = browse(pool, {dir.write("a.mis", misPicture("GOOD"))});
        ASSERT_EQ(results.size(), 1);
        EXPECT_FALSE(results[0].ok);
        EXPECT_TRUE(results[0].error.contains(reason)) << results[0].error.toStdString();
    }
}
