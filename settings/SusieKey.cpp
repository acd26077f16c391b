#include "settings/SusieKey.h"

#include "settings/RegIniFile.h"
#include "settings/RegistryException.h"

namespace settings {

std::optional<QString> readSusiePluginPath() {
    const TRegIniFile key(SusieKeyPath, TRegIniFile::OpenMode::ExistingOnly);
    if (!key.isOpen() || !key.SectionExists(QString()))
        return std::nullopt;
    try {
        return key.ReadString(QString(), SusieValuePath, QString());
    } catch (const ERegistryException&) {
        // The viewer's settings are not ours to complain about.
        return QString();
    }
}

QString susiePluginDirectory(const QString& fallback) {
    return readSusiePluginPath().value_or(fallback);
}

} // namespace settings
