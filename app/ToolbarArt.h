#pragma once

// The main window's image list, drawn in code so it stays crisp at any screen
// scale: 0 an open folder, 1–9 the digits of the destination buttons, 10 the
// program's own icon.

#include "dialogs/IconArt.h"

#include <QIcon>
#include <QList>

inline constexpr int ToolbarImageCount = 11;
inline constexpr int ToolbarImageSize = 16;

[[nodiscard]] QIcon openFolderIcon();
[[nodiscard]] QIcon digitIcon(int digit);
[[nodiscard]] QList<QIcon> toolbarImageList();
