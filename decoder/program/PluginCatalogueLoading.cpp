#include "decoder/program/PluginCatalogueLoading.h"

#include "decoder/DecoderTexts.h"
#include "platform/Exception.h"
#include "plugins/SPI.h"
#include "plugins/SPIs.h"

#include <QFileInfo>
#include <QSet>

namespace decoder {

namespace {

QString canonical(const QString& fileName) {
    const QString path = QFileInfo(fileName).canonicalFilePath();
    return path.isEmpty() ? fileName : path;
}

PluginEntry entryOf(const TSPI& plugin) {
    return {plugin.FileName(), plugin.APIVersion(), plugin.PluginName(), plugin.Extensions(),
            plugin.Descriptions()};
}

} // namespace

Catalogue loadPluginCatalogue(TSPIs& collection, const Configure& setup,
                              const std::function<void(const QString&)>& loading) {
    QSet<QString> excluded(setup.excludedPlugins.begin(), setup.excludedPlugins.end());
    QStringList attempted;
    Catalogue catalogue;

    // The module is loaded twice (to learn its kind, then as that kind): one
    // report for both.
    SetSPILoadGate([&](const QString& fileName) {
        if (excluded.contains(fileName))
            return false;
        if (attempted.isEmpty() || attempted.last() != fileName) {
            attempted.append(fileName);
            loading(fileName);
        }
        return true;
    });

    collection.Clear();
    for (const QString& mask : setup.pluginMasks) {
        // An error raised inside a plug-in ends a search; that file is left out
        // and the search runs again for the rest of the folder.
        for (;;) {
            try {
                collection.Search(mask);
                break;
            } catch (const Exception& error) {
                if (attempted.isEmpty() || excluded.contains(attempted.last()))
                    break;
                excluded.insert(attempted.last());
                catalogue.leftOut.append({attempted.last(), error.message()});
            }
        }
    }
    SetSPILoadGate({});

    QSet<QString> loaded;
    for (int i = 0; i < collection.Count(); ++i) {
        catalogue.plugins.append(entryOf(*collection.Items(i)));
        loaded.insert(canonical(collection.Items(i)->FileName()));
    }
    for (const QString& fileName : attempted) {
        if (!loaded.contains(canonical(fileName)) && !excluded.contains(fileName))
            catalogue.leftOut.append({fileName, NotAPluginReason});
    }
    return catalogue;
}

} // namespace decoder
