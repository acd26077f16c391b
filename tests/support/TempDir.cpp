#include "support/TempDir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

TempDir::TempDir() : dir_(QDir::tempPath() + "/sorteka-test-XXXXXX") {}

TempDir::~TempDir() {
    // Tests make folders read-only to provoke failures; give the owner write
    // access back so the folder can be removed.
    QDirIterator it(dir_.path(),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    while (it.hasNext()) {
        const QString entry = it.next();
        if (QFileInfo(entry).isDir() && !QFileInfo(entry).isSymLink())
            QFile::setPermissions(entry, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

QString TempDir::file(const QString& relative) const {
    return dir_.path() + "/" + relative;
}

QString TempDir::write(const QString& relative, const QByteArray& bytes) const {
    const QString target = file(relative);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile f(target);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(target));
    return target;
}

QString TempDir::mkdir(const QString& relative) const {
    const QString target = file(relative);
    if (!QDir().mkpath(target))
        qFatal("cannot create test folder %s", qPrintable(target));
    return target;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}
