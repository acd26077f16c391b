#include "DecoderFixture.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace decoder_test {

QByteArray misPicture(const char* word, int width, int height, int grey) {
    QByteArray bytes("MISB");
    bytes.append(word, 4);
    for (int value : {width, height}) {
        bytes.append(char(value & 0xff));
        bytes.append(char(value >> 8));
    }
    bytes.append(char(grey));
    return bytes;
}

QString pluginFolder(const TempDir& dir, const QStringList& plugins) {
    const QString folder = dir.mkdir(QStringLiteral("spi"));
    for (const QString& name : plugins) {
        const QString built = QStringLiteral(SORTEKA_TEST_DECODER_SPI_DIR "/%1.spi").arg(name);
        QFile::copy(built, folder + QStringLiteral("/%1.spi").arg(name));
    }
    return folder + QStringLiteral("/*.spi");
}

decoder::PoolOptions poolOptions(int processes, int timeLimitMs) {
    decoder::PoolOptions options;
    options.executable = QStringLiteral(SORTEKA_TEST_DECODER);
    options.processCount = processes;
    options.timeLimitMs = timeLimitMs;
    return options;
}

bool waitForCatalogue(decoder::DecoderPool& pool) {
    QSignalSpy ready(&pool, &decoder::DecoderPool::catalogueReady);
    return pool.hasCatalogue() || ready.wait(60000);
}

QList<decoder::PictureResult> browse(decoder::DecoderPool& pool, const QStringList& paths) {
    QList<decoder::PictureResult> results;
    QSignalSpy ready(&pool, &decoder::DecoderPool::pictureReady);
    for (qsizetype i = 0; i < paths.size(); ++i) {
        pool.requestPicture(paths[i]);
        pool.setUpcoming(paths.mid(i + 1));
        if (ready.isEmpty() && !ready.wait(60000)) {
            results.append(decoder::PictureResult{});
            continue;
        }
        results.append(ready.takeFirst().at(0).value<decoder::PictureResult>());
    }
    return results;
}

} // namespace decoder_test
