#include "app/PluginSetup.h"

#include "platform/Paths.h"

QString pluginSearchMask(const QString& directory) {
    QString mask = platform::includeTrailingSeparator(directory) + QStringLiteral("*.spi");
    qsizetype start = 0;
    while (start < mask.size() && mask[start].unicode() < 33)
        ++start;
    return mask.mid(start);
}
