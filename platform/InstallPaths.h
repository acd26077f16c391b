#pragma once

// Where this installation keeps the things it finds at run time, worked out from
// the executable's own folder so a build tree behaves like an installation.
//
// Plug-in places (stand-ins for the classic places a plug-in collection searches):
//   application folder  -> the executable's folder
//   current folder      -> the process's current directory
//   system folder       -> the installation's plug-in folder (lib/sorteka/spi)
//   windows folder      -> $XDG_DATA_HOME/sorteka/spi (~/.local/share/sorteka/spi)

#include <QString>

namespace platform {

[[nodiscard]] QString applicationDirectory();
[[nodiscard]] QString installedPluginDirectory();
[[nodiscard]] QString userPluginDirectory();
[[nodiscard]] QString installedManualFile();

} // namespace platform
