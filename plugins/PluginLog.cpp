#include "plugins/PluginLog.h"

Q_LOGGING_CATEGORY(lcPlugins, "sorteka.plugins", QtCriticalMsg)
