#pragma once

// Path text rules of this platform: "/" separates, "/" alone is the root.
// Paths are built by plain concatenation of a folder ending in "/" and a name.
// All tests look at whole characters (QString), never at bytes.

#include <QString>

namespace platform {

inline constexpr QChar PathSeparator = u'/';

// True when the last whole character of `path` is "/".
[[nodiscard]] bool hasTrailingSeparator(const QString& path);
// `path` with a "/" appended unless it already ends in one.
[[nodiscard]] QString includeTrailingSeparator(const QString& path);
// `path` without its trailing "/" — except the root "/", which stays.
[[nodiscard]] QString excludeTrailingSeparator(const QString& path);
// `dir` + "/" (when missing) + `name`.
[[nodiscard]] QString joinPath(const QString& dir, const QString& name);
// The name after the last "/" (the whole text when there is none).
[[nodiscard]] QString fileNameOf(const QString& path);
// Everything up to and including the last "/" (empty when there is none).
[[nodiscard]] QString directoryOf(const QString& path);
// The text after the last "." of the name part, without the dot; empty when the
// name has no dot. "/a.b/c" has none; "x.tar.gz" gives "gz".
[[nodiscard]] QString extensionOf(const QString& path);

// The process's real current directory (no trailing "/" except for the root).
[[nodiscard]] QString currentDirectory();
// chdir(); relative paths resolve against the result from then on.
bool setCurrentDirectory(const QString& path);

} // namespace platform
