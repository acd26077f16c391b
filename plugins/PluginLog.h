#pragma once

// The plug-in host's log category ("sorteka.plugins"), silent by default.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPlugins)
