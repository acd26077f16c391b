#pragma once

// File names on Linux are bytes, and need not be UTF-8: names copied from old
// Japanese systems are often Shift-JIS. The program carries every path as a
// QString that holds the file system's exact bytes: valid UTF-8 as its text,
// each byte that is not part of valid UTF-8 as one lone surrogate U+DC80..U+DCFF.
// Turning such a path back gives the very same bytes, so a file is opened,
// copied, renamed and deleted by the name the file system gave; only what is
// shown to a person turns the undecodable bytes into U+FFFD.

#include <QByteArray>
#include <QString>

namespace platform {

// The path a file-system call needs for `path`.
[[nodiscard]] QByteArray encodePath(const QString& path);
// The path for the bytes a file-system call gave.
[[nodiscard]] QString decodePath(const QByteArray& bytes);
[[nodiscard]] QString decodePath(const char* bytes);
// `path` as text for a person: every undecodable byte shown as U+FFFD.
[[nodiscard]] QString displayPath(const QString& path);

} // namespace platform
