#pragma once

// Reads one named section out of an ELF file (32- or 64-bit, little-endian),
// with every offset checked against the file's size.

#include <QByteArray>
#include <QString>
#include <optional>

namespace platform {

// The section's bytes, at most `maxBytes` of them. Nothing when the file cannot
// be read (`*error` = errno), is no ELF file (ENOEXEC), or has no such section
// (ENODATA).
[[nodiscard]] std::optional<QByteArray>
readElfSection(const QString& path, const QByteArray& sectionName, qint64 maxBytes, int* error);

} // namespace platform
