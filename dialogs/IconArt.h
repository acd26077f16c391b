#pragma once

// Icons drawn in code on a 16 × 16 grid and rendered at several sizes, so they
// stay crisp at any screen scale.

#include <QIcon>
#include <functional>

class QPainter;

// Renders `draw`, which paints on a 16 × 16 grid, at 16 to 64 pixels.
[[nodiscard]] QIcon renderIcon(const std::function<void(QPainter&)>& draw);
// The program's own icon: a picture card dropping into a tray.
[[nodiscard]] QIcon programIcon();
