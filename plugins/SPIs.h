#pragma once

// The plug-in collection: finds plug-in files, loads each through CreateSPI(),
// owns the loaded plug-ins in a fixed order, registers every import filter's
// formats with the picture-format registry, and tells which plug-ins to try
// for a file. There is at most one collection at a time (GetSPIs()).
//
// Typical use by a window that owns it:
//
//     auto* spi = new TSPIs(window);          // a second one raises ESPIDupCreateSPIs
//     spi->SetAutoSearch(false);
//     spi->SetSearchOptions({spsSusieDir});
//     spi->Clear();
//     spi->Search("*.spi");                    // or "/some/dir/*.spi"
//     if (spi->Count() == 0) ...
//
// Formats stay registered when their plug-ins are removed.

#include "graphics/PictureFormats.h"
#include "plugins/SPI.h"

#include <QList>
#include <QObject>
#include <functional>
#include <initializer_list>
#include <memory>
#include <type_traits>
#include <vector>

// Where Search() looks when its mask names no directory, in this order:
//   spsSusieDir    the image viewer's plug-in folder (its settings key "Path";
//                  this installation's plug-in folder when the key is missing)
//   spsAppDir      the executable's folder
//   spsCurrentDir  the process's current directory
//   spsSystemDir   the installation's plug-in folder (lib/sorteka/spi)
//   spsWindowsDir  the user's plug-in folder ($XDG_DATA_HOME/sorteka/spi)
enum TSPISearchOption { spsSusieDir, spsAppDir, spsCurrentDir, spsSystemDir, spsWindowsDir };

// A set of search options, one bit per option.
class TSPISearchOptions {
public:
    constexpr TSPISearchOptions() = default;
    constexpr TSPISearchOptions(std::initializer_list<TSPISearchOption> options) {
        for (TSPISearchOption option : options)
            bits_ |= bit(option);
    }
    [[nodiscard]] constexpr bool contains(TSPISearchOption option) const {
        return (bits_ & bit(option)) != 0;
    }
    [[nodiscard]] constexpr unsigned bits() const { return bits_; }
    constexpr bool operator==(const TSPISearchOptions&) const = default;

private:
    static constexpr unsigned bit(TSPISearchOption option) { return 1u << unsigned(option); }
    unsigned bits_ = 0;
};

class TSPIs;

// Asked before a found plug-in is added; clearing `accept` drops it.
using TSPISearchEvent = std::function<void(TSPIs& sender, TSPI& plugin, bool& accept)>;
// Asked before each format of an import filter is registered; `graphicClass`
// may be changed, or emptied to leave that format unregistered.
using TSPIPictureRegisterEvent =
    std::function<void(TSPIs& sender, TInSPI& plugin, const QString& extension,
                       const QString& description, PictureFormats::Factory& graphicClass)>;

// A plug-in class for FindPlugins(): true when the plug-in is of the class or
// derived from it. Use spiClass<TInSPI> and the like.
using TSPIClass = bool (*)(const TSPI&);
template <typename T> bool isSPIOf(const TSPI& plugin) {
    if constexpr (std::is_same_v<T, TSPI>)
        return true;
    else
        return dynamic_cast<const T*>(&plugin) != nullptr;
}
template <typename T> inline constexpr TSPIClass spiClass = &isSPIOf<T>;

class TSPIs : public QObject {
public:
    // Raises ESPIDupCreateSPIs when another collection exists.
    explicit TSPIs(QObject* owner = nullptr);
    ~TSPIs() override;

    [[nodiscard]] bool AutoSearch() const { return autoSearch_; }
    void SetAutoSearch(bool on) { autoSearch_ = on; }
    [[nodiscard]] TSPISearchOptions SearchOptions() const { return searchOptions_; }
    void SetSearchOptions(TSPISearchOptions options) { searchOptions_ = options; }
    TSPISearchEvent OnSearch;
    TSPIPictureRegisterEvent OnPictureRegister;

    // To be called once the owner has set the properties: searches "*.spi"
    // when AutoSearch is on.
    void Loaded();

    // Raises EListError for an index outside 0..Count()-1.
    [[nodiscard]] TSPI* Items(int index) const;
    [[nodiscard]] int Count() const { return int(plugins_.size()); }
    void Add(std::unique_ptr<TSPI> plugin);
    // Takes the plug-in, then registers an import filter's formats. Raises
    // EListError for an index outside 0..Count().
    void Insert(int index, std::unique_ptr<TSPI> plugin);
    // Unloads the plug-in at `index`.
    void Delete(int index);
    void Clear();
    // First position whose FileName() equals `fileName` exactly; -1 if none.
    [[nodiscard]] int IndexOf(const QString& fileName) const;

    // Adds to `target` every plug-in of one of `classes`: those that name the
    // extension of `fileName` at the front (the last loaded foremost), the
    // others after, in list order.
    void FindPlugins(std::initializer_list<TSPIClass> classes, QList<TSPI*>& target,
                     const QString& fileName) const;

    // Finds and loads plug-ins. A mask with a folder ("/dir/*.spi") searches that
    // folder only; a bare mask ("*.spi") the places of SearchOptions(). Files that
    // are no usable plug-ins are skipped; an error raised inside a plug-in while
    // it loads ends the search and goes on to the caller.
    void Search(const QString& mask);

    // The picture type offered for every import-filter format. A collection
    // created while none is set offers its formats to TSPIBitmap, decoding
    // through its own plug-ins, until it is destroyed.
    static PictureFormats::Factory DefaultGraphicClass();
    static void SetDefaultGraphicClass(PictureFormats::Factory graphicClass);

private:
    void registerFormats(TInSPI& plugin);
    void searchPlaces(const QString& pattern);
    void searchDirectory(QString directory, const QString& pattern);
    void adopt(std::unique_ptr<TSPI> plugin);

    std::vector<std::unique_ptr<TSPI>> plugins_;
    TSPISearchOptions searchOptions_{spsSusieDir, spsAppDir};
    bool autoSearch_ = true;
    bool setDefaultGraphicClass_ = false; // this collection set the default class
};

// The one collection, or null.
[[nodiscard]] TSPIs* GetSPIs();
