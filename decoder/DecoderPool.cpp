#include "decoder/DecoderPool.h"

#include "decoder/DecoderLog.h"
#include "decoder/DecoderProcess.h"
#include "platform/NativePath.h"

#include <QSet>
#include <QThread>
#include <algorithm>

namespace decoder {

namespace {

constexpr int MaxProcesses = 4;
// Decoders that die before loading anything, one after another, before the
// pool stops starting them.
constexpr int MaxStartFailures = 3;
// Room reserved for a picture in flight when no view size is known.
constexpr qint64 UnknownBoxBytes = qint64(64) * 1024 * 1024;

} // namespace

DecoderPool::DecoderPool(PoolOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {
    if (options_.executable.isEmpty())
        options_.executable = defaultDecoderExecutable();
    processCount_ = options_.processCount > 0
                        ? options_.processCount
                        : std::clamp(QThread::idealThreadCount(), 1, MaxProcesses);
}

DecoderPool::~DecoderPool() {
    stopProcesses();
}

void DecoderPool::stopProcesses() {
    for (DecoderProcess* process : std::as_const(processes_)) {
        process->disconnect(this);
        delete process;
    }
    processes_.clear();
}

void DecoderPool::setPluginMasks(const QStringList& masks) {
    stopProcesses();
    setup_ = Configure{masks, {}};
    leftOut_.clear();
    catalogue_ = {};
    hasCatalogue_ = false;
    startFailures_ = 0;
    brokenReason_.clear();
    jobs_.clear();
    pathOfRequest_.clear();
    for (int i = 0; i < processCount_; ++i)
        startProcess();
}

void DecoderPool::startProcess() {
    auto* process = new DecoderProcess(options_.executable, setup_, options_.timeLimitMs, this);
    processes_.append(process);
    connect(process, &DecoderProcess::ready, this,
            [this, process](const Catalogue& catalogue) { onReady(process, catalogue); });
    connect(process, &DecoderProcess::decoded, this,
            [this, process](const DecodeResult& answer, const QImage& pixels) {
                onDecoded(process, answer, pixels);
            });
    connect(process, &DecoderProcess::ended, this,
            [this, process](const ProcessEnd& end, const QString& pluginFile, bool wasDecoding,
                            quint64 requestId) {
                onEnded(process, end, pluginFile, wasDecoding, requestId);
            });
    process->start();
}

void DecoderPool::onReady(DecoderProcess*, const Catalogue& catalogue) {
    startFailures_ = 0;
    // One that started after all: pictures can be shown again.
    brokenReason_.clear();
    if (!hasCatalogue_) {
        catalogue_ = catalogue;
        catalogue_.leftOut = leftOut_ + catalogue.leftOut;
        hasCatalogue_ = true;
        emit catalogueReady(catalogue_);
    }
    schedule();
}

void DecoderPool::onDecoded(DecoderProcess*, const DecodeResult& answer, const QImage& pixels) {
    const QString path = pathOfRequest_.take(answer.id);
    const auto found = jobs_.find(path);
    if (!path.isNull() && found != jobs_.end() && found->second.id == answer.id) {
        Job& job = found->second;
        job.done = true;
        job.decodedIdentity = answer.identity;
        job.result.ok = answer.ok;
        job.result.error = answer.error;
        job.result.fullSize = QSize(answer.width, answer.height);
        job.result.image = pixels;
        job.bytes = pixels.sizeInBytes();
        if (path == current_ && currentWaiting_)
            offerCurrent();
    }
    dropUnwanted();
    schedule();
}

void DecoderPool::onEnded(DecoderProcess* process, const ProcessEnd& end, const QString& pluginFile,
                          bool wasDecoding, quint64 requestId) {
    processes_.removeOne(process);
    process->disconnect(this);
    process->deleteLater();
    const int seconds = options_.timeLimitMs / 1000;
    const bool retired = end.kind == ProcessEnd::Kind::Exit && end.code == RetiredExitCode;

    if (retired) {
        // A request sent after its last answer was never read: asked again
        // of another decoder.
        if (wasDecoding) {
            const QString path = pathOfRequest_.take(requestId);
            const auto found = jobs_.find(path);
            if (!path.isNull() && found != jobs_.end() && found->second.id == requestId)
                jobs_.erase(found);
        }
    } else if (wasDecoding) {
        const QString path = pathOfRequest_.take(requestId);
        const auto found = jobs_.find(path);
        if (!path.isNull() && found != jobs_.end() && found->second.id == requestId) {
            Job& job = found->second;
            job.done = true;
            job.decodedIdentity = job.requestedIdentity;
            job.result.ok = false;
            job.result.error = decodingFailureReason(end, seconds);
            job.result.decoderEnded = true;
            qCDebug(lcDecoder) << "cannot show" << path << job.result.error;
            if (path == current_ && currentWaiting_)
                offerCurrent();
        }
    } else if (!pluginFile.isEmpty()) {
        if (!setup_.excludedPlugins.contains(pluginFile)) {
            setup_.excludedPlugins.append(pluginFile);
            const LeftOutPlugin left{pluginFile, loadingFailureReason(end, seconds)};
            qCDebug(lcDecoder) << "left out" << pluginFile << left.reason;
            leftOut_.append(left);
            if (hasCatalogue_)
                catalogue_.leftOut.append(left);
        }
    } else if (++startFailures_ >= MaxStartFailures) {
        brokenReason_ = decodingFailureReason(end, seconds);
        qCDebug(lcDecoder) << "no decoder can be started:" << brokenReason_;
    }

    if (!brokenReason_.isEmpty()) {
        if (processes_.isEmpty()) {
            if (!hasCatalogue_) {
                catalogue_.leftOut = leftOut_;
                hasCatalogue_ = true;
                emit catalogueReady(catalogue_);
            }
            if (currentWaiting_)
                deliver({current_, false, brokenReason_, {}, {}, true});
        }
        return;
    }
    startProcess();
    dropUnwanted();
    schedule();
}

void DecoderPool::setViewSize(QSize devicePixels) {
    if (devicePixels == box_)
        return;
    box_ = devicePixels;
    dropUnwanted();
    schedule();
}

void DecoderPool::requestPicture(const QString& path) {
    current_ = path;
    currentWaiting_ = true;
    ++deliveries_;
    if (!brokenReason_.isEmpty()) {
        deliver({path, false, brokenReason_, {}, {}, true});
        return;
    }
    const auto found = jobs_.find(path);
    if (found != jobs_.end() && found->second.done && offerCurrent())
        return;
    dropUnwanted();
    schedule();
}

void DecoderPool::cancelPicture() {
    current_.clear();
    currentWaiting_ = false;
    ++deliveries_;
}

void DecoderPool::setUpcoming(const QStringList& paths) {
    upcoming_ = paths;
    dropUnwanted();
    schedule();
}

bool DecoderPool::offerCurrent() {
    const auto found = jobs_.find(current_);
    if (found == jobs_.end() || !found->second.done)
        return false;
    if (!usable(found->second)) {
        jobs_.erase(found);
        return false;
    }
    PictureResult result = std::move(found->second.result);
    result.path = current_;
    jobs_.erase(found);
    deliver(std::move(result));
    return true;
}

bool DecoderPool::usable(const Job& job) const {
    if (job.box != box_)
        return false;
    if (job.forCurrent)
        return true;
    const FileIdentity now = identityOf(job.pathBytes);
    return now.isValid() && now == job.decodedIdentity;
}

void DecoderPool::deliver(PictureResult result) {
    currentWaiting_ = false;
    // Queued, so the window's handler never runs inside its own call here.
    const quint64 delivery = deliveries_;
    QMetaObject::invokeMethod(
        this,
        [this, delivery, result = std::move(result)] {
            if (delivery == deliveries_ && result.path == current_)
                emit pictureReady(result);
        },
        Qt::QueuedConnection);
}

void DecoderPool::dropUnwanted() {
    const QSet<QString> wanted(upcoming_.begin(), upcoming_.end());
    for (auto it = jobs_.begin(); it != jobs_.end();) {
        const Job& job = it->second;
        const bool current = it->first == current_ && currentWaiting_;
        // In-flight jobs stay until their answer comes; finished ones go when
        // no one will ask for them, or they are of another size.
        const bool drop = job.done && !current && (!wanted.contains(it->first) || job.box != box_);
        it = drop ? jobs_.erase(it) : std::next(it);
    }
}

qint64 DecoderPool::boxBytes() const {
    return box_.isEmpty() ? UnknownBoxBytes : qint64(box_.width()) * box_.height() * 4;
}

int DecoderPool::cachedPictures() const {
    return int(std::count_if(jobs_.begin(), jobs_.end(),
                             [](const auto& entry) { return entry.second.done; }));
}

qint64 DecoderPool::cachedBytes() const {
    qint64 bytes = 0;
    for (const auto& entry : jobs_)
        bytes += entry.second.bytes;
    return bytes;
}

DecoderPool::Job& DecoderPool::addJob(const QString& path, FileIdentity identity, bool forCurrent) {
    Job job;
    job.pathBytes = platform::encodePath(path);
    job.id = nextId_++;
    job.box = box_;
    job.requestedIdentity = identity;
    job.forCurrent = forCurrent;
    job.result.path = path;
    pathOfRequest_.insert(job.id, path);
    return jobs_.insert_or_assign(path, std::move(job)).first->second;
}

DecoderPool::Job* DecoderPool::nextJob() {
    if (currentWaiting_ && !jobs_.contains(current_)) {
        const QByteArray bytes = platform::encodePath(current_);
        return &addJob(current_, identityOf(bytes), true);
    }
    int pictures = 0;
    qint64 bytes = 0;
    for (const auto& [path, job] : jobs_) {
        if (path == current_)
            continue;
        ++pictures;
        bytes += job.done ? job.bytes : boxBytes();
    }
    for (const QString& path : std::as_const(upcoming_)) {
        if (path == current_ || jobs_.contains(path))
            continue;
        if (pictures >= options_.aheadPictures || bytes + boxBytes() > options_.aheadBytes)
            return nullptr;
        const FileIdentity identity = identityOf(platform::encodePath(path));
        // A file gone already fails at its turn, without a decoder's help.
        if (!identity.isValid())
            continue;
        return &addJob(path, identity, false);
    }
    return nullptr;
}

void DecoderPool::schedule() {
    for (DecoderProcess* process : std::as_const(processes_)) {
        if (process->state() != DecoderProcess::State::Idle)
            continue;
        Job* job = nextJob();
        if (!job)
            return;
        DecodeRequest request;
        request.id = job->id;
        request.path = job->pathBytes;
        request.identity = job->requestedIdentity;
        request.maxWidth = job->box.width();
        request.maxHeight = job->box.height();
        process->decode(request);
    }
}

} // namespace decoder
