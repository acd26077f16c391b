#pragma once

// Peak resident memory (VmHWM) of this process and of its running children,
// as the kernel reports it, in MB.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

namespace spibench {

struct PeakMemory {
    double megabytes = 0;
    bool ours = false;
};

inline PeakMemory peakOfProcess(const QString& pid, const QByteArray& parent) {
    PeakMemory peak;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return peak;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("PPid:"))
            peak.ours = line.mid(5).trimmed() == parent;
        if (line.startsWith("VmHWM:"))
            peak.megabytes = line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return peak;
}

inline double ownPeakMegabytes() {
    return peakOfProcess(QStringLiteral("self"), {}).megabytes;
}

// The children together: the decoder processes.
inline double childrenPeakMegabytes() {
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    double megabytes = 0;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const PeakMemory peak = peakOfProcess(pid, self);
        if (peak.ours)
            megabytes += peak.megabytes;
    }
    return megabytes;
}

} // namespace spibench
