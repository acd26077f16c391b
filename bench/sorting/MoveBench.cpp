#include "bench/sorting/MoveBench.h"

#include "bench/sorting/PhotoGenerator.h"
#include "bench/sorting/RecordingPrompter.h"
#include "core/SortAction.h"
#include "platform/FileOps.h"
#include "settings/SettingsSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <stdexcept>
#include <sys/stat.h>

namespace {

struct BenchError : std::runtime_error {
    explicit BenchError(const QString& what) : std::runtime_error(what.toStdString()) {}
};

ino_t inodeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

RatioCheck run(const MoveOptions& options, std::ostream& out) {
    const QString photos = QStringLiteral("%1/photos-%2x%3-%4-jpeg")
                               .arg(options.cacheFolder)
                               .arg(options.pictureSize.width())
                               .arg(options.pictureSize.height())
                               .arg(options.distinctPictures);
    const QStringList originals =
        bench::ensurePhotoFolder(photos, options.distinctPictures, options.pictureSize, out, "JPG");
    if (originals.size() != options.distinctPictures)
        throw BenchError("cannot write the test pictures into " + photos);

    QTemporaryDir work(options.cacheFolder + QStringLiteral("/work-XXXXXX"));
    if (!work.isValid())
        throw BenchError("cannot make a work folder in " + options.cacheFolder);
    const QString source = work.filePath(QStringLiteral("source"));
    const QString moved = work.filePath(QStringLiteral("moved"));
    const QString scratch = work.filePath(QStringLiteral("floor"));
    for (const QString& folder : {source, moved, scratch})
        QDir().mkpath(folder);

    // The pictures to sort, each a file of its own, on the disk before timing.
    QStringList names;
    for (int i = 0; i < options.pictures; ++i) {
        const QString name = QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QChar(u'0'));
        const QString& original = originals[i % originals.size()];
        if (!platform::copyFileReplacing(original, source + u'/' + name))
            throw BenchError("cannot copy " + original);
        names.append(name);
    }

    RecordingPrompter prompter;
    SortAction action(prompter, [] { return int(opConfirm); });
    Timing copy;
    Timing move;
    for (int i = 0; i < names.size(); ++i) {
        const QString picture = source + u'/' + names[i];
        const Stopwatch copying;
        if (!platform::copyFileReplacing(picture, scratch + u'/' + names[i]))
            throw BenchError("cannot copy " + picture);
        copy += copying.elapsed();
        const ino_t inode = inodeOf(picture);

        const Stopwatch moving;
        const SortResult result = action.run({1, moved, source + u'/', names[i], true});
        move += moving.elapsed();
        if (!result.done)
            throw BenchError("the move of " + picture +
                             " failed: " + prompter.messages.join(" / "));
        if (inodeOf(moved + u'/' + names[i]) != inode)
            throw BenchError(picture + " was moved as a copy, not renamed");
        // The floor's copies go, as a long run of copies would fill the disk.
        (void)platform::deleteFile(scratch + u'/' + names[i]);
    }

    const qint64 bytes = QFileInfo(originals.front()).size();
    BenchTable table(QStringLiteral("Moving %1 pictures of %2x%3 (JPEG, about %4 MB each) within "
                                    "one file system, time per picture")
                         .arg(options.pictures)
                         .arg(options.pictureSize.width())
                         .arg(options.pictureSize.height())
                         .arg(double(bytes) / 1e6, 0, 'f', 1));
    const Timing copyFloor = copy / options.pictures;
    table.addTime(QStringLiteral("floor: durable copy of the same file"), copyFloor);
    const RatioCheck check = table.addCompared(QStringLiteral("move through the sorting action"),
                                               move / options.pictures, copyFloor, options.target);
    table.print(out);
    return check;
}

} // namespace

std::optional<RatioCheck> runMoveBench(const MoveOptions& options, std::ostream& out) {
    if (options.pictures <= 0 || options.distinctPictures <= 0) {
        out << "Move benchmark: nothing to move" << std::endl;
        return std::nullopt;
    }
    try {
        return run(options, out);
    } catch (const std::exception& error) {
        out << "Move benchmark failed: " << error.what() << std::endl;
        return std::nullopt;
    }
}
