#pragma once

// The messages between the sorter and its decoder processes, and their byte
// form. Every message travels in one frame: its payload length (uint32), its
// type (uint8), then the payload; all numbers little-endian. Texts are UTF-8,
// paths the file system's exact bytes, each preceded by its length (uint32).
// Decoded pixels never travel in a frame: they lie in a sealed memfd passed
// beside the answer (SCM_RIGHTS).
//
// A conversation: both sides send Hello with their ProtocolVersion; a decoder
// of another version is refused (and refuses). The sorter then sends
// Configure; the decoder sends PluginLoading before each plug-in file it
// loads, then the Catalogue, and from then on answers each Decode with a
// Result. Anything that does not decode exactly is a broken conversation: the
// receiving side ends it.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace decoder {

inline constexpr quint32 ProtocolVersion = 1;

// A decoder whose resident memory has grown past RetireAboveBytes after an
// answer ends with this exit code: some libraries never free what they drew
// (libwmf keeps each metafile's raster picture). The pool starts a fresh one
// and hands a request the old one never read to another; no file is blamed.
inline constexpr int RetiredExitCode = 4;
inline constexpr qint64 RetireAboveBytes = qint64(256) << 20;
// Larger frames are refused before anything is allocated for them.
inline constexpr quint32 MaxFramePayload = 16 * 1024 * 1024;

enum class MessageType : quint8 {
    Hello = 1,
    Configure = 2,
    Decode = 3,
    PluginLoading = 10,
    Catalogue = 11,
    Result = 12,
    Refused = 13,
};

// What tells one version of a file from another. Equal identities: the same
// file, unchanged (as far as the file system can tell).
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    [[nodiscard]] bool isValid() const { return size >= 0; }
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at `path` now (symbolic links followed); invalid
// when it cannot be read.
[[nodiscard]] FileIdentity identityOf(const QByteArray& path);

struct Hello {
    quint32 version = ProtocolVersion;
};

struct Configure {
    // Search masks with a folder each ("/dir/*.spi").
    QStringList pluginMasks;
    // Plug-in files not to load, as named when they were loaded before.
    QStringList excludedPlugins;
};

struct DecodeRequest {
    quint64 id = 0;
    QByteArray path;
    FileIdentity identity;
    qint32 maxWidth = 0; // device pixels the picture is shown in
    qint32 maxHeight = 0;
};

struct PluginLoading {
    QString file;
};

struct PluginEntry {
    QString file; // the loaded object's real path
    QString apiVersion;
    QString name;
    QStringList patterns; // "*.jpg;*.jpeg", as GetPluginInfo gave them
    QStringList descriptions;
};

struct LeftOutPlugin {
    QString file;
    QString reason;
};

struct Catalogue {
    QList<PluginEntry> plugins;
    QList<LeftOutPlugin> leftOut;
};

struct DecodeResult {
    quint64 id = 0;
    bool ok = false;
    QString error;         // why it failed; empty when ok
    FileIdentity identity; // of the file that was decoded; invalid when it changed meanwhile
    qint32 width = 0;      // the picture's own size
    qint32 height = 0;
    // The pixels in the memfd: scaled to fit the wanted size, 32 bits a pixel.
    qint32 pixelWidth = 0;
    qint32 pixelHeight = 0;
    qint32 bytesPerLine = 0;
    quint32 imageFormat = 0; // a QImage::Format, RGB32 or ARGB32_Premultiplied
};

struct Refused {
    QString reason;
};

// Payloads of each message. decode*() gives nothing when the payload is not
// exactly one well-formed message of that type.
[[nodiscard]] QByteArray encode(const Hello& message);
[[nodiscard]] QByteArray encode(const Configure& message);
[[nodiscard]] QByteArray encode(const DecodeRequest& message);
[[nodiscard]] QByteArray encode(const PluginLoading& message);
[[nodiscard]] QByteArray encode(const Catalogue& message);
[[nodiscard]] QByteArray encode(const DecodeResult& message);
[[nodiscard]] QByteArray encode(const Refused& message);

[[nodiscard]] std::optional<Hello> decodeHello(const QByteArray& payload);
[[nodiscard]] std::optional<Configure> decodeConfigure(const QByteArray& payload);
[[nodiscard]] std::optional<DecodeRequest> decodeDecodeRequest(const QByteArray& payload);
[[nodiscard]] std::optional<PluginLoading> decodePluginLoading(const QByteArray& payload);
[[nodiscard]] std::optional<Catalogue> decodeCatalogue(const QByteArray& payload);
[[nodiscard]] std::optional<DecodeResult> decodeDecodeResult(const QByteArray& payload);
[[nodiscard]] std::optional<Refused> decodeRefused(const QByteArray& payload);

// The frame header and payload of one message.
[[nodiscard]] QByteArray frame(MessageType type, const QByteArray& payload);

} // namespace decoder
