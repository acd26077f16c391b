#include "platform/DirectoryEnumeration.h"
