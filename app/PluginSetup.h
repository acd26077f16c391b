#pragma once

// What the main window's plug-in setup needs besides the plug-in collection.

#include <QString>

// The search mask for the configured plug-in folder: the folder followed by
// "*.spi" (with a "/" between when it has none), stripped of leading blanks and
// control characters. An empty folder gives "/*.spi", the root.
[[nodiscard]] QString pluginSearchMask(const QString& directory);

inline const QString NoPluginsMessage =
    QStringLiteral("プラグインがないか開くことが出来ませんでした");
inline const QString OnlyBuiltInFormatsMessage = QStringLiteral("BMP以外は開くことができません");
