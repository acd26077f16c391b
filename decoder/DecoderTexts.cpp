#include "decoder/DecoderTexts.h"

#include <cstring>

namespace decoder {

namespace {

QString signalName(int signal) {
    // "SIGSEGV" reads better in a bug report than a number.
    const char* name = ::sigabbrev_np(signal);
    return name ? QStringLiteral("SIG") + QString::fromLatin1(name)
                : QStringLiteral("シグナル %1").arg(signal);
}

} // namespace

QString pluginLeftOutMessage(const QString& file, const QString& reason) {
    return QStringLiteral("プラグインを読み込めませんでした: %1 (%2)").arg(file, reason);
}

QString loadingFailureReason(const ProcessEnd& end, int timeLimitSeconds) {
    switch (end.kind) {
    case ProcessEnd::Kind::Signal:
        return QStringLiteral("読み込み中に異常終了しました (%1)").arg(signalName(end.code));
    case ProcessEnd::Kind::Exit:
        return QStringLiteral("読み込み中にプロセスを終了しました (終了コード %1)").arg(end.code);
    case ProcessEnd::Kind::Overran:
        return QStringLiteral("読み込みが%1秒以内に終わりませんでした").arg(timeLimitSeconds);
    case ProcessEnd::Kind::BrokenConversation:
        return QStringLiteral("読み込み中にデコーダーの応答が壊れました (%1)").arg(end.detail);
    case ProcessEnd::Kind::NotStarted:
        break;
    }
    return QStringLiteral("デコーダーを起動できませんでした: %1").arg(end.detail);
}

QString decodingFailureReason(const ProcessEnd& end, int timeLimitSeconds) {
    switch (end.kind) {
    case ProcessEnd::Kind::Signal:
        return QStringLiteral("デコード中にデコーダーが異常終了しました (%1)")
            .arg(signalName(end.code));
    case ProcessEnd::Kind::Exit:
        return QStringLiteral("デコード中にデコーダーが終了しました (終了コード %1)").arg(end.code);
    case ProcessEnd::Kind::Overran:
        return QStringLiteral("デコードが%1秒以内に終わりませんでした").arg(timeLimitSeconds);
    case ProcessEnd::Kind::BrokenConversation:
        return QStringLiteral("デコーダーの応答が壊れています (%1)").arg(end.detail);
    case ProcessEnd::Kind::NotStarted:
        break;
    }
    return QStringLiteral("デコーダーを起動できませんでした: %1").arg(end.detail);
}

} // namespace decoder
