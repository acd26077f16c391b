#pragma once

#include <QString>

// The program's title: the main window's caption and every error box's.
inline QString applicationTitle() {
    return QStringLiteral("Sorteka for Windows");
}
