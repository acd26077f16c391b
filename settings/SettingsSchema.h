#pragma once

// The one place that fixes what the program stores: the key, the sections, the
// value names and their defaults, and the shared setting types.

#include <QString>
#include <array>

class TRegIniFile;

// How a digit key sorts the current picture; the index of the main window's
// sorting-method option. Only smCopy copies; any other index moves.
enum TSortMethod : int { smCopy = 0, smMove = 1 };

// What to do when the destination already holds a file of the same name; the
// index of the options dialog's overwrite option.
enum TOverwritePolicy : int { opConfirm = 0, opNumberNew = 1, opNumberOld = 2 };

// One of the nine destinations.
struct TDestination {
    int Number = 1; // 1 to 9
    QString Description;
    QString Directory;

    friend bool operator==(const TDestination&, const TDestination&) = default;
};

inline constexpr int DestinationCount = 9;
using TDestinations = std::array<TDestination, DestinationCount>;

namespace settings {

inline const QString KeyPath = QStringLiteral("\\Software\\Varno\\Sorteka");

inline const QString SectionSetting = QStringLiteral("Setting");
inline const QString ValueMethod = QStringLiteral("Method");
inline const QString ValueCurrentDir = QStringLiteral("CurrentDir");
inline const QString ValueOverwrite = QStringLiteral("Overwrite");
inline const QString ValueUseSusieDirectory = QStringLiteral("UseSusieDirectory");
inline const QString ValueSPIDirectory = QStringLiteral("SPIDirectory");
inline const QString ValueCanQuitESC = QStringLiteral("CanQuitESC");
inline const QString ValueDescription = QStringLiteral("Description");
inline const QString ValueDirectory = QStringLiteral("Directory");

inline constexpr int DefaultMethod = smCopy;
inline constexpr int DefaultOverwrite = opConfirm;
inline constexpr bool DefaultUseSusieDirectory = true;
inline constexpr bool DefaultCanQuitESC = false;

// The places one destination number N ties together; they must all agree.
[[nodiscard]] bool isDestinationNumber(int number);
[[nodiscard]] QString sectionOfDestination(int number);   // N -> "N-1"
[[nodiscard]] int destinationOfSection(const QString& s); // "0".."8" -> 1..9, else 0
[[nodiscard]] QChar digitKeyOfDestination(int number);    // N -> '1'..'9'
[[nodiscard]] int destinationOfDigitKey(QChar key);       // '1'..'9' -> 1..9, else 0
[[nodiscard]] int toolbarTagOfDestination(int number);    // N -> N-1
[[nodiscard]] int destinationOfToolbarTag(int tag);       // 0..8 -> 1..9, else 0
[[nodiscard]] int listRowOfDestination(int number);       // N -> N-1
[[nodiscard]] int gridRowOfDestination(int number);       // N -> N (row 0 holds headers)

[[nodiscard]] QString defaultDescription(int number); // "フォルダ" + N
// The default destination folder: the file-system root.
[[nodiscard]] QString defaultDirectory();

// Reads the nine destinations, in order, each with its defaults.
[[nodiscard]] TDestinations readDestinations(const TRegIniFile& store);
// Writes all nine, description before directory, section "0" first.
void writeDestinations(TRegIniFile& store, const TDestinations& destinations);

} // namespace settings
