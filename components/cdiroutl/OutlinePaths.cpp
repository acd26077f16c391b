#include "components/cdiroutl/OutlinePaths.h"

#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>

namespace cdiroutl {

namespace {

QString joined(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QString realEntryName(const QString& folder, const QString& name) {
    if (QFileInfo::exists(joined(folder, name)))
        return name;
    QStringList candidates;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        if (sameNameIgnoringCase(it.fileName(), name))
            candidates << it.fileName();
    }
    if (candidates.isEmpty())
        return name;
    return *std::min_element(candidates.cbegin(), candidates.cend());
}

} // namespace

QString fileNameLowerCase(const QString& name) {
    return name.toLower();
}

QString fileNameUpperCase(const QString& name) {
    return name.toUpper();
}

bool sameNameIgnoringCase(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0 || a.toUpper() == b.toUpper();
}

bool isSameOrBelow(const QString& path, const QString& folder, Qt::CaseSensitivity sensitivity) {
    if (folder.isEmpty())
        return false;
    if (QString::compare(path, folder, sensitivity) == 0)
        return true;
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    return path.startsWith(prefix, sensitivity);
}

QString resolveOnDisk(const QString& path, const QStringList& volumes) {
    if (!path.startsWith(u'/'))
        return path;
    QString real = QStringLiteral("/");
    for (const QString& volume : volumes) {
        if (volume.size() > real.size() && isSameOrBelow(path, volume, Qt::CaseInsensitive))
            real = volume;
    }
    const QString rest = path.mid(real.size());
    for (const QString& component : rest.split(u'/', Qt::SkipEmptyParts))
        real = joined(real, realEntryName(real, component));
    return real;
}

} // namespace cdiroutl
