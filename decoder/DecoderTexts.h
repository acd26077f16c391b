#pragma once

// The texts the decoder service shows the user: why a plug-in was left out,
// why a picture could not be shown.

#include <QString>

namespace decoder {

// How a decoder process ended when it should not have.
struct ProcessEnd {
    enum class Kind { Signal, Exit, Overran, BrokenConversation, NotStarted };
    Kind kind = Kind::Exit;
    int code = 0;   // the signal or exit code
    QString detail; // what failed, for NotStarted and BrokenConversation
};

inline const QString NotAPluginReason = QStringLiteral("Susie Pluginとして読み込めませんでした");

// "プラグインを読み込めませんでした: <file> (<reason>)", for the message pane.
[[nodiscard]] QString pluginLeftOutMessage(const QString& file, const QString& reason);

// Why a plug-in file was left out when the process ended while loading it.
[[nodiscard]] QString loadingFailureReason(const ProcessEnd& end, int timeLimitSeconds);
// Why a picture cannot be shown when the process ended while decoding it.
[[nodiscard]] QString decodingFailureReason(const ProcessEnd& end, int timeLimitSeconds);

} // namespace decoder
