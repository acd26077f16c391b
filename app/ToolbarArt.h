#pragma once

// The main window's image list, drawn in code so it stays crisp at any screen
// scale: 0 an open folder, 1–9 the digits of the destination buttons, 10 the
// program's own icon. A destination that already holds a file of the
// picture's name gets a mark: on its button's digit and beside it in lists.

#include "dialogs/IconArt.h"

#include <QIcon>
#include <QList>

inline constexpr int ToolbarImageCount = 11;
inline constexpr int ToolbarImageSize = 16;

enum class ClashMark {
    None,
    NameTaken,  // a file of that name is there
    SameContent // and it is the picture, byte for byte
};

[[nodiscard]] QIcon openFolderIcon();
[[nodiscard]] QIcon digitIcon(int digit, ClashMark mark = ClashMark::None);
// The mark alone; a null icon for ClashMark::None.
[[nodiscard]] QIcon clashMarkIcon(ClashMark mark);
[[nodiscard]] QList<QIcon> toolbarImageList();
