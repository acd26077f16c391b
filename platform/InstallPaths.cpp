#include "platform/InstallPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace platform {

QString applicationDirectory() {
    return QCoreApplication::applicationDirPath();
}

QString installedPluginDirectory() {
    return QDir::cleanPath(applicationDirectory() + "/" SORTEKA_SPI_FROM_BIN);
}

QString userPluginDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/sorteka/spi";
}

QString installedManualFile() {
    return QDir::cleanPath(applicationDirectory() + "/" SORTEKA_MANUAL_FROM_BIN "/index.html");
}

} // namespace platform
