#pragma once

// The directory of a Windows icon (ICO) file: which images it holds and where,
// checked against the file's length before any image is decoded.

#include <QByteArrayView>
#include <QList>
#include <cstdint>

namespace graphics {

struct IcoEntry {
    int width = 0; // 1 to 256 (the file stores 256 as 0)
    int height = 0;
    int bitCount = 0;
    qint64 offset = 0;
    qint64 size = 0;
    bool png = false; // stored as a PNG stream instead of a DIB
};

// Reads and checks the directory of the icon file `bytes`. Raises
// EInvalidGraphic when it is no icon file or an entry lies outside the file.
[[nodiscard]] QList<IcoEntry> readIcoDirectory(QByteArrayView bytes);

// Index of the entry that shows best: the largest, then the deepest colours,
// then the first. `entries` must not be empty.
[[nodiscard]] qsizetype bestIcoEntry(const QList<IcoEntry>& entries);

} // namespace graphics
