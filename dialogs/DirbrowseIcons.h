#pragma once

// The directory chooser's folder pictures, 16 × 16, drawn here so they look the
// same under every desktop theme.

#include "dialogs/DirbrowseList.h"

#include <QIcon>

[[nodiscard]] QIcon dirEntryIcon(DirEntryKind kind);
