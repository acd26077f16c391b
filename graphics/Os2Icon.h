#pragma once

// Icons and pointers in the OS/2 format (file types "IC", "CI", "PT", "CP",
// alone or in a bitmap array "BA"): a 1-bit bitmap of double height holding
// the AND mask and then the XOR mask, and for colour icons a colour bitmap
// after it. Pixels whose AND bit is set show what lies behind the icon; those
// that would invert it are shown transparent too.

#include <QByteArrayView>
#include <QImage>

namespace graphics {

// True when `file` starts like an OS/2 icon, pointer or bitmap array.
[[nodiscard]] bool isOs2Icon(QByteArrayView file);

// The best image of the OS/2 icon `file` (the largest, then the most colours).
// Raises EInvalidGraphic when it cannot be read.
[[nodiscard]] QImage readOs2Icon(QByteArrayView file);

} // namespace graphics
