#include "decoder/program/DecoderService.h"

#include "decoder/Channel.h"
#include "decoder/SharedPixels.h"
#include "decoder/program/PictureDecoding.h"
#include "decoder/program/PluginCatalogueLoading.h"
#include "plugins/SPIs.h"

#include <QFile>
#include <QList>
#include <unistd.h>

namespace decoder {

namespace {

// This process's resident memory, from the kernel; 0 when it cannot tell.
qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

// The next message, which must be of `type`; nothing when the sorter has gone
// (`exitCode` ExitDone) or sent anything else (ExitBrokenConversation, after
// telling it why).
std::optional<Frame> expect(Channel& channel, MessageType type, int* exitCode) {
    for (;;) {
        bool broken = false;
        std::optional<Frame> next = channel.nextFrame(&broken);
        if (next && next->type == type)
            return next;
        if (next || broken) {
            channel.send(MessageType::Refused,
                         encode(Refused{QStringLiteral("予期しないメッセージを受け取りました")}));
            *exitCode = ExitBrokenConversation;
            return std::nullopt;
        }
        if (channel.receive(true) == Channel::ReadStatus::Closed) {
            *exitCode = channel.hasPartialFrame() ? ExitBrokenConversation : ExitDone;
            return std::nullopt;
        }
    }
}

template <typename Message>
std::optional<Message> expectMessage(Channel& channel, MessageType type,
                                     std::optional<Message> (*decodePayload)(const QByteArray&),
                                     int* exitCode) {
    const std::optional<Frame> next = expect(channel, type, exitCode);
    if (!next)
        return std::nullopt;
    std::optional<Message> message = decodePayload(next->payload);
    if (!message) {
        channel.send(MessageType::Refused,
                     encode(Refused{QStringLiteral("壊れたメッセージを受け取りました")}));
        *exitCode = ExitBrokenConversation;
    }
    return message;
}

bool answer(Channel& channel, const DecodeOutcome& decoded) {
    DecodeResult result = decoded.result;
    int pixels = -1;
    if (result.ok) {
        pixels = writeSharedPixels(decoded.pixels);
        if (pixels < 0) {
            result = DecodeResult{};
            result.id = decoded.result.id;
            result.error = QStringLiteral("メモリが足りません");
        }
    }
    const bool sent = channel.send(MessageType::Result, encode(result), pixels);
    if (pixels >= 0)
        ::close(pixels);
    return sent;
}

} // namespace

int runDecoderService(int socket) {
    Channel channel(socket);
    int exitCode = ExitDone;
    if (!channel.send(MessageType::Hello, encode(Hello{})))
        return ExitDone;
    const auto hello = expectMessage(channel, MessageType::Hello, &decodeHello, &exitCode);
    if (!hello)
        return exitCode;
    if (hello->version != ProtocolVersion) {
        channel.send(MessageType::Refused,
                     encode(Refused{QStringLiteral("プロトコルの版が違います (%1 / %2)")
                                        .arg(hello->version)
                                        .arg(ProtocolVersion)}));
        return ExitVersionRefused;
    }

    const auto setup = expectMessage(channel, MessageType::Configure, &decodeConfigure, &exitCode);
    if (!setup)
        return exitCode;
    TSPIs collection;
    collection.SetAutoSearch(false);
    // Masks arrive with their folders; a bare one searches nowhere.
    collection.SetSearchOptions({});
    PictureDecoding decoding(collection);
    const Catalogue catalogue = loadPluginCatalogue(collection, *setup, [&](const QString& file) {
        channel.send(MessageType::PluginLoading, encode(PluginLoading{file}));
    });
    if (!channel.send(MessageType::Catalogue, encode(catalogue)))
        return ExitDone;

    for (;;) {
        const auto request =
            expectMessage(channel, MessageType::Decode, &decodeDecodeRequest, &exitCode);
        if (!request)
            return exitCode;
        if (!answer(channel, decoding.decode(*request)))
            return ExitDone;
        if (residentBytes() > RetireAboveBytes)
            return ExitRetired;
    }
}

} // namespace decoder
