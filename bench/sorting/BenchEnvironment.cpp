#include "bench/sorting/BenchEnvironment.h"

#include <QDir>
#include <QFile>
#include <QThread>

QString machineDescription() {
    QString model = QStringLiteral("unknown processor");
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    // Files under /proc report no size, so read them whole rather than up to an end.
    if (cpuinfo.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : cpuinfo.readAll().split('\n')) {
            if (line.startsWith("model name")) {
                model = QString::fromUtf8(line.mid(line.indexOf(':') + 1)).trimmed();
                break;
            }
        }
    }
    return QStringLiteral("%1, %2 processors").arg(model).arg(QThread::idealThreadCount());
}
