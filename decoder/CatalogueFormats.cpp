#include "decoder/CatalogueFormats.h"

#include "plugins/SPIPatterns.h"

namespace decoder {

namespace {

// As long as the registry takes an extension.
constexpr qsizetype MaxExtensionLength = 255;

} // namespace

QList<CatalogueFormat> importFilterFormats(const Catalogue& catalogue) {
    QList<CatalogueFormat> formats;
    for (const PluginEntry& plugin : catalogue.plugins) {
        if (plugin.apiVersion != QLatin1String("00IN"))
            continue;
        const qsizetype pairs = std::min(plugin.patterns.size(), plugin.descriptions.size());
        for (qsizetype i = 0; i < pairs; ++i) {
            for (const QString& withDot : plugins::patternExtensions(plugin.patterns[i]))
                formats.append({withDot.mid(1).left(MaxExtensionLength), plugin.descriptions[i]});
        }
    }
    return formats;
}

} // namespace decoder
