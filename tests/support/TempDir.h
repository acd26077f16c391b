#pragma once

#include "support/QtPrinters.h"

#include <QString>
#include <QTemporaryDir>

// A temporary folder for one test, removed with everything in it afterwards,
// even where a test left parts of it read-only.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] QString path() const { return dir_.path(); }
    // Path of `relative` inside the folder.
    [[nodiscard]] QString file(const QString& relative) const;
    // Writes `bytes` to `relative`, creating missing folders; returns its path.
    QString write(const QString& relative, const QByteArray& bytes) const;
    // Creates the folder `relative` (and parents); returns its path.
    QString mkdir(const QString& relative) const;

private:
    QTemporaryDir dir_;
};

// Reads a whole file; empty when it cannot be read.
QByteArray readAll(const QString& path);
