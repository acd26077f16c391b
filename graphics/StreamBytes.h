#pragma once

// Reading a whole picture stream into memory without trusting its size.

#include <QByteArray>

class QIODevice;

namespace graphics {

// Everything from the device's current position to its end. Raises
// EInvalidGraphic when the device cannot be read or holds more than `limit` bytes.
[[nodiscard]] QByteArray readAllBounded(QIODevice& device, qint64 limit);

} // namespace graphics
