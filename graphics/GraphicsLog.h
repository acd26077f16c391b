#pragma once

// The graphics module's log category, "sorteka.graphics"; silent unless enabled
// (QT_LOGGING_RULES="sorteka.graphics.debug=true").

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcGraphics)
