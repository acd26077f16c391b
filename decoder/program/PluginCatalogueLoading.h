#pragma once

// Loads the plug-ins the sorter names into this decoder's collection, one file
// at a time, and tells what came of each: the loaded plug-ins with their texts
// and patterns, and the files left out with the reason.

#include "decoder/Protocol.h"

#include <functional>

class TSPIs;

namespace decoder {

// Searches every mask of `setup` into `collection` (emptied first), leaving
// out the excluded files. `loading` hears each file's name before the file is
// loaded, so whoever listens can tell which file took the process down.
[[nodiscard]] Catalogue loadPluginCatalogue(TSPIs& collection, const Configure& setup,
                                            const std::function<void(const QString&)>& loading);

} // namespace decoder
