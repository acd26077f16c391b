#include "bench/sorting/BenchEnvironment.h"

#include <QDir>
#include <QFile>
#include <QThread>

BenchEnvironment::BenchEnvironment() : home_(QDir::tempPath() + "/sorteka-bench-home-XXXXXX") {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!home_.isValid())
        return;
    const QByteArray root = home_.path().toUtf8();
    QDir(home_.path()).mkpath(".config");
    QDir(home_.path()).mkpath(".local/share");
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/.config");
    qputenv("XDG_DATA_HOME", root + "/.local/share");
    qputenv("XDG_CACHE_HOME", root + "/.cache");
    qputenv("XDG_RUNTIME_DIR", root);
}

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
