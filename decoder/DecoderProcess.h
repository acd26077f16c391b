#pragma once

// One decoder process seen from the sorter: starts sorteka-decoder with
// posix_spawn, talks to it over a socket pair on the Qt event loop, and keeps
// a watchdog on it. Each step that waits on the decoder (starting, loading one
// plug-in file, decoding one picture) must end within the time limit; a
// process that overruns it is killed. Whatever way the process ends, ended()
// tells how and what it was doing, once; the object is then spent.

#include "decoder/DecoderTexts.h"
#include "decoder/Protocol.h"

#include <QImage>
#include <QObject>
#include <QTimer>
#include <memory>
#include <sys/types.h>

class QSocketNotifier;

namespace decoder {

class Channel;
struct Frame;

class DecoderProcess : public QObject {
    Q_OBJECT

public:
    enum class State { Starting, LoadingPlugins, Idle, Decoding, Ended };

    DecoderProcess(QString executable, Configure setup, int timeLimitMs, QObject* parent = nullptr);
    // Kills a process still running.
    ~DecoderProcess() override;

    // Starts the process; ended() follows (queued) when it cannot be started.
    void start();
    // Only when Idle.
    void decode(const DecodeRequest& request);

    [[nodiscard]] State state() const { return state_; }
    [[nodiscard]] pid_t pid() const { return pid_; }

signals:
    void pluginLoading(const QString& file);
    // The plug-ins are loaded; the process is Idle.
    void ready(const decoder::Catalogue& catalogue);
    // The answer to the request in hand, with its pixels; the process is Idle.
    void decoded(const decoder::DecodeResult& result, const QImage& pixels);
    // The process is gone. `pluginFile`: the plug-in file it was loading, if
    // any; `requestId`: the request it was decoding, when `wasDecoding`.
    void ended(const decoder::ProcessEnd& end, const QString& pluginFile, bool wasDecoding,
               quint64 requestId);

private:
    void readSocket();
    void handle(const Frame& frame);
    void breakOff(const QString& detail);
    void kill(ProcessEnd end);
    void reap();
    void finish(const ProcessEnd& end);
    void armWatchdog();

    QString executable_;
    Configure setup_;
    int timeLimitMs_;
    State state_ = State::Starting;
    pid_t pid_ = -1;
    int pidDescriptor_ = -1;
    std::unique_ptr<Channel> channel_;
    QSocketNotifier* socketNotifier_ = nullptr;
    QSocketNotifier* exitNotifier_ = nullptr;
    QTimer watchdog_;
    QString loadingPlugin_;
    quint64 requestId_ = 0;
    // Set when the sorter decided to end the process (its reason wins over the
    // signal that carried it out).
    std::optional<ProcessEnd> killedFor_;
};

// The decoder program of this installation: ../libexec/sorteka/sorteka-decoder
// from the sorter's own folder (the build tree is laid out alike).
[[nodiscard]] QString defaultDecoderExecutable();

} // namespace decoder
