#pragma once

// The desktop's trash (freedesktop rules, through Qt): where a file the user
// agreed to replace goes instead of being destroyed, and where undo finds it.

#include "platform/FileOps.h"

#include <QString>
#include <optional>

namespace platform {

// Moves the file at `path` to the trash of its file system (the home trash
// when it is on the home's); returns where it went there. Nothing, and the
// file still at `path`, when there is no trash to take it; `error` then says why.
[[nodiscard]] std::optional<QString> moveToTrash(const QString& path, QString* error = nullptr);

// Puts the trashed file `trashedPath` back at `path`, never replacing a file
// there (EEXIST), and drops its entry from the trash's list.
FileResult restoreFromTrash(const QString& trashedPath, const QString& path);

} // namespace platform
