#include "decoder/DecoderProcess.h"

#include "decoder/Channel.h"
#include "decoder/DecoderLog.h"
#include "decoder/SharedPixels.h"
#include "platform/NativePath.h"

#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace decoder {

namespace {

// The descriptor the decoder finds its socket at.
constexpr int ChildSocket = 3;

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

ProcessEnd endOf(int status) {
    if (WIFSIGNALED(status))
        return {ProcessEnd::Kind::Signal, WTERMSIG(status), {}};
    return {ProcessEnd::Kind::Exit, WIFEXITED(status) ? WEXITSTATUS(status) : status, {}};
}

} // namespace

QString defaultDecoderExecutable() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/" SORTEKA_DECODER_FROM_BIN "/sorteka-decoder"));
}

DecoderProcess::DecoderProcess(QString executable, Configure setup, int timeLimitMs,
                               QObject* parent)
    : QObject(parent), executable_(std::move(executable)), setup_(std::move(setup)),
      timeLimitMs_(timeLimitMs) {
    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, [this] {
        kill({ProcessEnd::Kind::Overran, 0, {}});
    });
}

DecoderProcess::~DecoderProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    if (pidDescriptor_ >= 0)
        ::close(pidDescriptor_);
}

void DecoderProcess::start() {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        const QString reason = systemError(errno);
        QTimer::singleShot(0, this, [this, reason] {
            finish({ProcessEnd::Kind::NotStarted, 0, reason});
        });
        return;
    }
    // dup2 onto itself would leave close-on-exec set.
    if (pair[1] == ChildSocket) {
        const int moved = ::fcntl(pair[1], F_DUPFD_CLOEXEC, ChildSocket + 1);
        ::close(pair[1]);
        pair[1] = moved;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pair[1], ChildSocket);
    const QByteArray program = platform::encodePath(executable_);
    const QByteArray socketText = QByteArray::number(ChildSocket);
    char* arguments[] = {const_cast<char*>(program.constData()), const_cast<char*>("--socket"),
                         const_cast<char*>(socketText.constData()), nullptr};
    const int spawned = pair[1] < 0 ? EMFILE
                                    : ::posix_spawn(&pid_, program.constData(), &actions, nullptr,
                                                    arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (pair[1] >= 0)
        ::close(pair[1]);
    if (spawned != 0) {
        ::close(pair[0]);
        pid_ = -1;
        const QString reason = executable_ + QStringLiteral(": ") + systemError(spawned);
        QTimer::singleShot(0, this, [this, reason] {
            finish({ProcessEnd::Kind::NotStarted, 0, reason});
        });
        return;
    }
    qCDebug(lcDecoder) << "started decoder" << pid_;

    channel_ = std::make_unique<Channel>(pair[0]);
    socketNotifier_ = new QSocketNotifier(pair[0], QSocketNotifier::Read, this);
    connect(socketNotifier_, &QSocketNotifier::activated, this, &DecoderProcess::readSocket);
    pidDescriptor_ = int(::syscall(SYS_pidfd_open, pid_, 0));
    if (pidDescriptor_ >= 0) {
        exitNotifier_ = new QSocketNotifier(pidDescriptor_, QSocketNotifier::Read, this);
        connect(exitNotifier_, &QSocketNotifier::activated, this, &DecoderProcess::reap);
    }
    // The decoder reads these in turn; nothing waits for its hello first.
    channel_->send(MessageType::Hello, encode(Hello{}));
    channel_->send(MessageType::Configure, encode(setup_));
    armWatchdog();
}

void DecoderProcess::decode(const DecodeRequest& request) {
    Q_ASSERT(state_ == State::Idle);
    state_ = State::Decoding;
    requestId_ = request.id;
    armWatchdog();
    // A decoder that is gone is noticed through its socket and its exit.
    channel_->send(MessageType::Decode, encode(request));
}

void DecoderProcess::armWatchdog() {
    watchdog_.start(timeLimitMs_);
}

void DecoderProcess::readSocket() {
    if (state_ == State::Ended || killedFor_)
        return;
    const Channel::ReadStatus status = channel_->receive(false);
    bool broken = false;
    while (const std::optional<Frame> next = channel_->nextFrame(&broken)) {
        handle(*next);
        if (state_ == State::Ended || killedFor_)
            return;
    }
    if (broken) {
        breakOff(QStringLiteral("壊れたフレーム"));
        return;
    }
    if (status == Channel::ReadStatus::Closed) {
        socketNotifier_->setEnabled(false);
        // The exit itself tells how it ended; without a process descriptor the
        // process is already on its way out, so wait for it here.
        if (pidDescriptor_ < 0)
            reap();
    }
}

void DecoderProcess::handle(const Frame& frame) {
    switch (frame.type) {
    case MessageType::Hello: {
        const auto hello = decodeHello(frame.payload);
        if (state_ != State::Starting || !hello)
            return breakOff(QStringLiteral("挨拶が壊れています"));
        if (hello->version != ProtocolVersion)
            return breakOff(QStringLiteral("プロトコルの版が違います (%1 / %2)")
                                .arg(hello->version)
                                .arg(ProtocolVersion));
        state_ = State::LoadingPlugins;
        armWatchdog();
        return;
    }
    case MessageType::PluginLoading: {
        const auto loading = decodePluginLoading(frame.payload);
        if (state_ != State::LoadingPlugins || !loading)
            return breakOff(QStringLiteral("読み込みの報告が壊れています"));
        loadingPlugin_ = loading->file;
        armWatchdog();
        emit pluginLoading(loadingPlugin_);
        return;
    }
    case MessageType::Catalogue: {
        const auto catalogue = decodeCatalogue(frame.payload);
        if (state_ != State::LoadingPlugins || !catalogue)
            return breakOff(QStringLiteral("プラグインの一覧が壊れています"));
        loadingPlugin_.clear();
        state_ = State::Idle;
        watchdog_.stop();
        emit ready(*catalogue);
        return;
    }
    case MessageType::Result: {
        const auto result = decodeDecodeResult(frame.payload);
        if (state_ != State::Decoding || !result || result->id != requestId_)
            return breakOff(QStringLiteral("デコードの結果が壊れています"));
        QImage pixels;
        if (result->ok) {
            const int descriptor = channel_->takeDescriptor();
            if (descriptor >= 0)
                pixels = mapSharedPixels(descriptor, *result);
            if (pixels.isNull())
                return breakOff(QStringLiteral("画素を受け取れませんでした"));
        }
        state_ = State::Idle;
        watchdog_.stop();
        emit decoded(*result, pixels);
        return;
    }
    case MessageType::Refused: {
        const auto refused = decodeRefused(frame.payload);
        return breakOff(refused ? refused->reason : QStringLiteral("拒否されました"));
    }
    case MessageType::Configure:
    case MessageType::Decode:
        break;
    }
    breakOff(QStringLiteral("予期しないメッセージ"));
}

void DecoderProcess::breakOff(const QString& detail) {
    kill({ProcessEnd::Kind::BrokenConversation, 0, detail});
}

void DecoderProcess::kill(ProcessEnd end) {
    if (state_ == State::Ended || killedFor_)
        return;
    qCDebug(lcDecoder) << "killing decoder" << pid_ << int(end.kind) << end.detail;
    killedFor_ = std::move(end);
    watchdog_.stop();
    if (socketNotifier_)
        socketNotifier_->setEnabled(false);
    // Already reaped: the number may belong to another process by now.
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    if (pidDescriptor_ < 0)
        reap();
}

void DecoderProcess::reap() {
    if (pid_ <= 0)
        return;
    int status = 0;
    pid_t got = -1;
    if (pidDescriptor_ >= 0) {
        do
            got = ::waitpid(pid_, &status, WNOHANG);
        while (got < 0 && errno == EINTR);
        if (got == 0)
            return;
    } else {
        // The socket closed as the process exited; a process that closed it
        // and lives on is given a moment, then ended.
        for (int tries = 0; tries < 100; ++tries) {
            got = ::waitpid(pid_, &status, WNOHANG);
            if (got != 0)
                break;
            ::usleep(1000);
        }
        if (got == 0) {
            if (!killedFor_)
                killedFor_ = ProcessEnd{ProcessEnd::Kind::BrokenConversation, 0,
                                        QStringLiteral("接続を閉じました")};
            ::kill(pid_, SIGKILL);
            do
                got = ::waitpid(pid_, &status, 0);
            while (got < 0 && errno == EINTR);
        }
    }
    pid_ = -1;
    // A decoder that refused the conversation said why before it went; that
    // tells more than its exit code. (Nothing else is taken from a process
    // that is gone: it could not be given more work.)
    if (!killedFor_ && channel_) {
        channel_->receive(false);
        bool broken = false;
        while (const std::optional<Frame> next = channel_->nextFrame(&broken)) {
            const auto refused =
                next->type == MessageType::Refused ? decodeRefused(next->payload) : std::nullopt;
            if (refused)
                killedFor_ = ProcessEnd{ProcessEnd::Kind::BrokenConversation, 0, refused->reason};
        }
    }
    finish(killedFor_ ? *killedFor_ : endOf(status));
}

void DecoderProcess::finish(const ProcessEnd& end) {
    if (state_ == State::Ended)
        return;
    const bool wasDecoding = state_ == State::Decoding;
    state_ = State::Ended;
    watchdog_.stop();
    // Out of use before their descriptors close; deleted later, since this may
    // run inside one of their own signals.
    for (QSocketNotifier* notifier : {socketNotifier_, exitNotifier_}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    socketNotifier_ = nullptr;
    exitNotifier_ = nullptr;
    channel_.reset();
    qCDebug(lcDecoder) << "decoder ended" << int(end.kind) << end.code << end.detail;
    emit ended(end, loadingPlugin_, wasDecoding, requestId_);
}

} // namespace decoder
