#include "ReferenceFolder.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <stdexcept>

namespace {

constexpr auto ToleranceFile = "tolerance";
constexpr auto SourcesFile = "SOURCES.tsv";

bool isBookkeeping(const QString& name) {
    return name == QLatin1String(ToleranceFile) || name == QLatin1String(SourcesFile) ||
           name.startsWith(u'.') || name.startsWith(QLatin1String("README"));
}

} // namespace

std::optional<Tolerance> parseTolerance(const QString& kind, const QString& value) {
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || number < 0)
        return std::nullopt;
    if (kind == QLatin1String("max-diff"))
        return Tolerance{Tolerance::MaxDiff, number};
    if (kind == QLatin1String("psnr"))
        return Tolerance{Tolerance::Psnr, number};
    return std::nullopt;
}

QList<ReferencePicture> readReferenceFolder(const QString& folder) {
    const QDir dir(folder);
    Tolerance folderTolerance;
    QHash<QString, Tolerance> perPicture;

    QFile toleranceFile(dir.filePath(QLatin1String(ToleranceFile)));
    if (toleranceFile.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QStringList lines = QString::fromUtf8(toleranceFile.readAll()).split(u'\n');
        for (const QString& line : lines) {
            const QStringList words = line.simplified().split(u' ', Qt::SkipEmptyParts);
            if (words.isEmpty() || words[0].startsWith(u'#'))
                continue;
            const auto tolerance = words.size() == 2   ? parseTolerance(words[0], words[1])
                                   : words.size() == 3 ? parseTolerance(words[1], words[2])
                                                       : std::nullopt;
            if (!tolerance)
                throw std::runtime_error("tolerance: cannot read \"" + line.toStdString() + "\"");
            if (words.size() == 2)
                folderTolerance = *tolerance;
            else
                perPicture.insert(words[0], *tolerance);
        }
    }

    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    const QSet<QString> all(names.begin(), names.end());
    QList<ReferencePicture> pictures;
    for (const QString& name : names) {
        if (isBookkeeping(name))
            continue;
        // NAME.EXT.png is the reference of NAME.EXT, not a picture of its own.
        if (name.endsWith(QLatin1String(".png")) && all.contains(name.chopped(4)))
            continue;
        ReferencePicture picture;
        picture.path = dir.filePath(name);
        if (all.contains(name + QLatin1String(".png")))
            picture.reference = dir.filePath(name + QLatin1String(".png"));
        picture.tolerance = perPicture.value(name, folderTolerance);
        pictures.append(picture);
    }
    return pictures;
}
