#pragma once

// One completed sort as the undo journal keeps it, and the bytes it is kept
// as. A record on disk is its payload's length and CRC-32 followed by the
// payload, so a record cut short by a crash or kill is told from a whole one.

#include "platform/FileIdentity.h"

#include <QByteArray>
#include <QString>
#include <optional>

enum class SortMethod : quint8 { Copy = 0, Move = 1 };

// What settling a name clash did with the file that held the picture's name.
enum class OlderFile : quint8 {
    None = 0,     // nothing was there, or the picture got a numbered name
    Numbered = 1, // it was renamed to its numbered name (olderPath)
    Trashed = 2,  // it went to the trash (olderPath: where it is there)
    Replaced = 3, // it was replaced, there being no trash to take it
};

struct JournalEntry {
    quint64 id = 0; // ascending in the order the sorts happened
    int number = 0; // destination 1 … 9
    SortMethod method = SortMethod::Copy;
    QString source;      // where the picture was
    QString destination; // the name it was given
    OlderFile older = OlderFile::None;
    QString olderPath;
    platform::FileIdentity written; // the file at `destination` once the sort completed
    bool undone = false;

    friend bool operator==(const JournalEntry&, const JournalEntry&) = default;
};

namespace journal {

// The first bytes of a journal file.
inline constexpr QByteArrayView FileMagic = "SRTKJNL1";
// Record framing: payload length and CRC-32, both little-endian 32-bit.
inline constexpr qsizetype FrameBytes = 8;
// No real record comes near this; a larger length is damage.
inline constexpr quint32 LargestPayload = 64 * 1024;

[[nodiscard]] quint32 crc32(QByteArrayView bytes);

// A whole record (frame and payload) for an action, and for the note that the
// action with `id` was undone.
[[nodiscard]] QByteArray actionRecord(const JournalEntry& entry);
[[nodiscard]] QByteArray undoneRecord(quint64 id);

// What one record says: an action, or that the action `undoneId` was undone.
struct Decoded {
    std::optional<JournalEntry> action;
    quint64 undoneId = 0;
};

// Reads the record at the start of `bytes`; sets `used` to its whole length.
// Nothing when the bytes hold no whole, intact record there.
[[nodiscard]] std::optional<Decoded> decodeRecord(QByteArrayView bytes, qsizetype& used);

} // namespace journal
