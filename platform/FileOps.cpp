#include "platform/FileOps.h"
