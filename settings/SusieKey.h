#pragma once

// Read-only access to the image viewer's plug-in key, whose "Path" names the
// folder its import filters live in. When the key does not exist at all, this
// installation's own plug-in folder stands in for it, so a fresh install finds
// the plug-ins it ships.

#include <QString>
#include <optional>

namespace settings {

inline const QString SusieKeyPath = QStringLiteral("\\Software\\Tamaru\\Susie\\Plug-in");
inline const QString SusieValuePath = QStringLiteral("Path");

// The stored "Path"; nothing when the key does not exist. An empty, unreadable
// or non-text value gives an empty text. Never creates anything, never throws.
[[nodiscard]] std::optional<QString> readSusiePluginPath();

// The folder to search for the viewer's plug-ins: the stored "Path" when the
// key exists (empty: search nothing), else `fallback`.
[[nodiscard]] QString susiePluginDirectory(const QString& fallback);

} // namespace settings
