// The reference-picture driver: `formats_reference FOLDER` checks every
// picture of one fixture folder (see ReferenceFolder.h) and reports each.
//
// A picture with a reference must decode and match it within its tolerance.
// A picture without one (damaged files) must be refused, or decode to the
// same pixels under MALLOC_PERTURB_=0 and =165: pixels that depend on what the
// heap held before show there. Those decodes run in child processes
// (`formats_reference --decode PICTURE OUT`), so a crash is reported, not fatal.

#include "PictureDiff.h"
#include "ReferenceFolder.h"
#include "graphics/PictureFormats.h"
#include "platform/Exception.h"
#include "plugins/SPIBmp.h"
#include "plugins/SPIs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <exception>

namespace {

constexpr int RefusedExit = 3;

struct Decoded {
    QImage image;
    QString error; // set when the picture was refused
};

Decoded decode(const QString& path) {
    try {
        const auto picture = PictureFormats::instance().loadFromFile(path);
        if (picture->isEmpty())
            return {{}, QStringLiteral("empty picture")};
        return {picture->image(), {}};
    } catch (const Exception& error) {
        return {{}, error.message()};
    } catch (const std::exception& error) {
        return {{}, QString::fromUtf8(error.what())};
    }
}

void report(bool ok, const QString& path, const QString& what) {
    std::printf("%s %s: %s\n", ok ? "ok  " : "FAIL", qPrintable(QFileInfo(path).fileName()),
                qPrintable(what));
}

// Child mode: the picture's pixels (ARGB32, with width and height first) to `out`.
int decodeToFile(const QString& path, const QString& out) {
    const Decoded decoded = decode(path);
    if (decoded.image.isNull())
        return RefusedExit;
    const QImage argb = decoded.image.convertToFormat(QImage::Format_ARGB32);
    QFile file(out);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    const qint32 size[2] = {argb.width(), argb.height()};
    file.write(reinterpret_cast<const char*>(size), sizeof size);
    for (int y = 0; y < argb.height(); ++y)
        file.write(reinterpret_cast<const char*>(argb.constScanLine(y)), qint64(argb.width()) * 4);
    return file.error() == QFileDevice::NoError ? 0 : 1;
}

// Decodes `path` in a child with MALLOC_PERTURB_=`perturb`; empty when refused.
std::optional<QByteArray> decodeInChild(const QString& path, int perturb, QString* failure) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("pixels"));
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MALLOC_PERTURB_"), QString::number(perturb));
    child.setProcessEnvironment(environment);
    // Its messages are shown only when something went wrong.
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--decode"), path, out});
    if (!child.waitForFinished(120'000)) {
        child.kill();
        child.waitForFinished();
        *failure = QStringLiteral("decoding took longer than two minutes");
        return std::nullopt;
    }
    if (child.exitStatus() != QProcess::NormalExit) {
        std::fputs(child.readAll().constData(), stderr);
        *failure = QStringLiteral("the decoder crashed (MALLOC_PERTURB_=%1)").arg(perturb);
        return std::nullopt;
    }
    if (child.exitCode() == RefusedExit)
        return QByteArray();
    QFile file(out);
    if (child.exitCode() != 0 || !file.open(QIODevice::ReadOnly)) {
        std::fputs(child.readAll().constData(), stderr);
        *failure = QStringLiteral("the decoder failed (exit %1)").arg(child.exitCode());
        return std::nullopt;
    }
    return file.readAll();
}

bool checkWithoutReference(const ReferencePicture& picture) {
    QString failure;
    const auto plain = decodeInChild(picture.path, 0, &failure);
    const auto perturbed = plain ? decodeInChild(picture.path, 165, &failure) : std::nullopt;
    if (!plain || !perturbed) {
        report(false, picture.path, failure);
        return false;
    }
    if (*plain != *perturbed) {
        report(false, picture.path,
               QStringLiteral("pixels differ between MALLOC_PERTURB_ 0 and 165"));
        return false;
    }
    report(true, picture.path,
           plain->isEmpty() ? QStringLiteral("refused") : QStringLiteral("shown, stable"));
    return true;
}

bool checkAgainstReference(const ReferencePicture& picture) {
    const QImage reference(picture.reference);
    if (reference.isNull()) {
        report(false, picture.path, QStringLiteral("the reference cannot be read"));
        return false;
    }
    const Decoded decoded = decode(picture.path);
    if (decoded.image.isNull()) {
        report(false, picture.path, QStringLiteral("refused: ") + decoded.error);
        return false;
    }
    const QString dump = qEnvironmentVariable("SORTEKA_FORMATS_DUMP");
    if (!dump.isEmpty())
        decoded.image.save(QDir(dump).filePath(QFileInfo(picture.path).fileName() + ".png"));
    if (decoded.image.size() != reference.size()) {
        report(false, picture.path,
               QStringLiteral("size %1×%2, reference %3×%4")
                   .arg(decoded.image.width())
                   .arg(decoded.image.height())
                   .arg(reference.width())
                   .arg(reference.height()));
        return false;
    }
    const PictureDiff diff = comparePictures(decoded.image, reference);
    const bool ok = picture.tolerance.kind == Tolerance::MaxDiff
                        ? diff.maxDiff <= picture.tolerance.value
                        : diff.psnr >= picture.tolerance.value;
    report(ok, picture.path,
           QStringLiteral("max-diff %1 at (%2,%3), psnr %4 dB")
               .arg(diff.maxDiff)
               .arg(diff.worstPixel.x())
               .arg(diff.worstPixel.y())
               .arg(diff.psnr, 0, 'f', 1));
    return ok;
}

void loadShippedPlugins(TSPIs& plugins) {
    // Every import filter's formats go to the plug-in picture type, as in the program.
    plugins.SetAutoSearch(false);
    plugins.Search(QStringLiteral(SORTEKA_SPI_BUILD_DIR "/*.spi"));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    TSPIs plugins;
    loadShippedPlugins(plugins);

    if (args.size() == 4 && args[1] == QLatin1String("--decode"))
        return decodeToFile(args[2], args[3]);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: formats_reference FOLDER\n");
        return 2;
    }

    QList<ReferencePicture> pictures;
    try {
        pictures = readReferenceFolder(args[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    if (pictures.isEmpty()) {
        std::fprintf(stderr, "%s holds no pictures\n", qPrintable(args[1]));
        return 1;
    }
    int failed = 0;
    for (const ReferencePicture& picture : pictures) {
        const bool ok = picture.reference.isEmpty() ? checkWithoutReference(picture)
                                                    : checkAgainstReference(picture);
        failed += ok ? 0 : 1;
    }
    std::printf("%s: %lld pictures, %d failed\n", qPrintable(QFileInfo(args[1]).fileName()),
                qlonglong(pictures.size()), failed);
    return failed == 0 ? 0 : 1;
}
