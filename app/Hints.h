#pragma once

// A hint is "short|long": the short part is the tooltip, the long part goes to
// the status bar. A hint without a bar is all long part for the status bar and
// all short part for the tooltip.

#include <QString>

[[nodiscard]] QString shortHint(const QString& hint);
[[nodiscard]] QString longHint(const QString& hint);
