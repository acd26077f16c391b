#include "plugins/SPIs.h"

#include "platform/DirectoryEnumeration.h"
#include "platform/InstallPaths.h"
#include "platform/Paths.h"
#include "plugins/PluginLog.h"
#include "plugins/SPIBmp.h"
#include "plugins/SPIErrors.h"
#include "plugins/SPIPatterns.h"
#include "settings/SusieKey.h"

#include <QFileInfo>
#include <QPointer>
#include <algorithm>

namespace {

TSPIs* theCollection = nullptr;

PictureFormats::Factory& defaultGraphicClass() {
    static PictureFormats::Factory graphicClass;
    return graphicClass;
}

constexpr qsizetype MaxExtensionLength = 255;

} // namespace

TSPIs* GetSPIs() {
    return theCollection;
}

PictureFormats::Factory TSPIs::DefaultGraphicClass() {
    return defaultGraphicClass();
}

void TSPIs::SetDefaultGraphicClass(PictureFormats::Factory graphicClass) {
    defaultGraphicClass() = std::move(graphicClass);
}

TSPIs::TSPIs(QObject* owner) : QObject(owner) {
    if (theCollection)
        throw ESPIDupCreateSPIs();
    theCollection = this;
    // No static initialiser does this: one in a static library may never run.
    if (!defaultGraphicClass()) {
        defaultGraphicClass() = [collection = QPointer<TSPIs>(this)] {
            return std::make_unique<TSPIBitmap>(collection.get());
        };
        setDefaultGraphicClass_ = true;
    }
}

TSPIs::~TSPIs() {
    if (theCollection == this)
        theCollection = nullptr;
    if (setDefaultGraphicClass_)
        defaultGraphicClass() = {};
    Clear();
}

void TSPIs::Loaded() {
    if (autoSearch_)
        Search(QStringLiteral("*.spi"));
}

TSPI* TSPIs::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(index);
    return plugins_[std::size_t(index)].get();
}

void TSPIs::Add(std::unique_ptr<TSPI> plugin) {
    Insert(Count(), std::move(plugin));
}

void TSPIs::Insert(int index, std::unique_ptr<TSPI> plugin) {
    if (index < 0 || index > Count())
        throw EListError(index);
    if (!plugin)
        return;
    TSPI& inserted = *plugin;
    plugins_.insert(plugins_.begin() + index, std::move(plugin));
    if (auto* importFilter = dynamic_cast<TInSPI*>(&inserted))
        registerFormats(*importFilter);
}

void TSPIs::registerFormats(TInSPI& plugin) {
    const QStringList& patterns = plugin.Extensions();
    const QStringList& descriptions = plugin.Descriptions();
    // Every pattern of an entry counts ("*.jpg;*.jpeg" registers both), not
    // only its last one: otherwise common photos would not show at all.
    for (qsizetype i = 0; i < patterns.size(); ++i) {
        const QString& description = descriptions[i];
        for (const QString& withDot : plugins::patternExtensions(patterns[i])) {
            PictureFormats::Factory graphicClass = defaultGraphicClass();
            const QString extension = withDot.mid(1).left(MaxExtensionLength);
            if (OnPictureRegister)
                OnPictureRegister(*this, plugin, extension, description, graphicClass);
            if (graphicClass)
                PictureFormats::instance().registerFormat(extension, description,
                                                          std::move(graphicClass));
        }
    }
}

void TSPIs::Delete(int index) {
    if (index < 0 || index >= Count())
        throw EListError(index);
    // Out of the list first, so the list never holds a plug-in being unloaded.
    std::unique_ptr<TSPI> removed = std::move(plugins_[std::size_t(index)]);
    plugins_.erase(plugins_.begin() + index);
}

void TSPIs::Clear() {
    while (Count() > 0)
        Delete(0);
}

int TSPIs::IndexOf(const QString& fileName) const {
    for (std::size_t i = 0; i < plugins_.size(); ++i) {
        if (plugins_[i]->FileName() == fileName)
            return int(i);
    }
    return -1;
}

void TSPIs::FindPlugins(std::initializer_list<TSPIClass> classes, QList<TSPI*>& target,
                        const QString& fileName) const {
    const QString extension = plugins::extensionWithDot(fileName);
    for (const auto& plugin : plugins_) {
        const bool ofClass = std::any_of(classes.begin(), classes.end(),
                                         [&](TSPIClass isOf) { return isOf(*plugin); });
        if (!ofClass)
            continue;
        const bool namesExtension =
            !extension.isEmpty() &&
            std::any_of(plugin->Extensions().begin(), plugin->Extensions().end(),
                        [&](const QString& entry) {
                            const QStringList named = plugins::patternExtensions(entry);
                            return std::any_of(
                                named.begin(), named.end(), [&](const QString& candidate) {
                                    return plugins::equalsIgnoringAsciiCase(candidate, extension);
                                });
                        });
        if (namesExtension)
            target.prepend(plugin.get());
        else
            target.append(plugin.get());
    }
}

void TSPIs::Search(const QString& mask) {
    const plugins::SearchMask parts = plugins::splitSearchMask(mask);
    if (!parts.directory.isEmpty())
        searchDirectory(parts.directory, parts.pattern);
    else
        searchPlaces(mask);
}

void TSPIs::searchPlaces(const QString& pattern) {
    if (searchOptions_.contains(spsSusieDir)) {
        const QString susie = settings::susiePluginDirectory(platform::installedPluginDirectory());
        if (!susie.isEmpty())
            searchDirectory(susie, pattern);
    }
    if (searchOptions_.contains(spsAppDir))
        searchDirectory(platform::applicationDirectory(), pattern);
    if (searchOptions_.contains(spsCurrentDir))
        searchDirectory(platform::currentDirectory(), pattern);
    if (searchOptions_.contains(spsSystemDir))
        searchDirectory(platform::installedPluginDirectory(), pattern);
    if (searchOptions_.contains(spsWindowsDir))
        searchDirectory(platform::userPluginDirectory(), pattern);
}

void TSPIs::searchDirectory(QString directory, const QString& pattern) {
    // An empty folder means the current one; named in full, so a plug-in file is
    // never looked up in the library search path.
    if (directory.isEmpty())
        directory = platform::currentDirectory();
    directory = platform::includeTrailingSeparator(directory);

    // Devices and pipes are left out: opening a pipe named "x.spi" would block.
    platform::AttributeRule rule;
    rule.directories = false;
    rule.hidden = false;
    rule.system = false;

    const plugins::WildcardPattern wildcard(pattern);
    QStringList found;
    {
        const auto enumeration = platform::DirectoryEnumeration::open(directory, rule);
        if (!enumeration)
            return;
        while (const auto entry = enumeration->next()) {
            if (!wildcard.matches(entry->name))
                continue;
            const QString name = directory + entry->name;
            // The same file reached through another folder text (a symbolic
            // link, "//") counts as loaded too.
            const QString canonical = QFileInfo(name).canonicalFilePath();
            if (IndexOf(name) >= 0 || (!canonical.isEmpty() && IndexOf(canonical) >= 0) ||
                found.contains(name))
                continue;
            found.append(name);
        }
    }

    for (const QString& name : found) {
        std::unique_ptr<TSPI> plugin = CreateSPI(name);
        if (!plugin) {
            qCDebug(lcPlugins) << "skipped" << name;
            continue;
        }
        adopt(std::move(plugin));
    }
}

void TSPIs::adopt(std::unique_ptr<TSPI> plugin) {
    TSPI* const loaded = plugin.get();
    try {
        bool accept = true;
        if (OnSearch)
            OnSearch(*this, *loaded, accept);
        if (accept)
            Add(std::move(plugin));
    } catch (...) {
        // The plug-in is dropped, wherever it stands now; the search goes on.
        qCDebug(lcPlugins) << "dropped" << loaded->FileName() << "after an error";
        const auto inList = std::find_if(plugins_.begin(), plugins_.end(),
                                         [&](const auto& p) { return p.get() == loaded; });
        if (inList != plugins_.end())
            plugins_.erase(inList);
    }
}
