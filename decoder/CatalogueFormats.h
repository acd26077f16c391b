#pragma once

// The picture formats a plug-in catalogue adds to the window's format
// registry: every extension of every pattern of each import filter ("*.jpg;
// *.jpeg" gives both), in the order the in-process collection registers them,
// so the window's registry knows what a decoder can show.

#include "decoder/Protocol.h"

#include <QList>

namespace decoder {

struct CatalogueFormat {
    QString extension; // without its dot, as the plug-in wrote it
    QString description;
};

[[nodiscard]] QList<CatalogueFormat> importFilterFormats(const Catalogue& catalogue);

} // namespace decoder
