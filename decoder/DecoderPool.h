#pragma once

// The sorter's decoding service: a pool of sorteka-decoder processes, one per
// core by default (at most 4), each with a watchdog, and a decode-ahead cache.
// No plug-in code runs in the sorter: the plug-in catalogue comes from a
// decoder, and every picture is decoded in one. Everything is asynchronous on
// the Qt event loop; the window paints and answers while it waits.
//
// How the window uses it:
//
//   1. Start (window built) and after the options dialog was accepted:
//          pool->setPluginMasks({"/path/to/spi/*.spi"});
//      Masks name their folder: the window resolves the plug-in setting
//      itself (the Susie folder through settings::susiePluginDirectory(
//      platform::installedPluginDirectory()), or pluginSearchMask(SPIDirectory)),
//      and passes an empty list when there is no folder (the Susie key's
//      "Path" empty): the decoders then read the built-in formats only. This
//      (re)starts the decoders, forgets every cached picture and every
//      plug-in left out before (the user may have fixed it), and loads the
//      plug-ins afresh. Call it as early as possible: the plug-ins load in
//      the decoders while the window builds. Requests made before it wait.
//
//   2. catalogueReady(catalogue) follows once the first decoder has loaded
//      them: catalogue.plugins lists each loaded plug-in (its file, its
//      GetPluginInfo texts and patterns; importFilterFormats(catalogue) in
//      decoder/CatalogueFormats.h gives the extensions to register with the
//      window's PictureFormats); an empty list is the case for the two
//      "no plug-ins" log lines;
//      catalogue.leftOut lists files left out with the reason. For the
//      message pane use pluginLeftOutMessage(file, reason) ("プラグインを
//      読み込めませんでした: …"). Entries whose reason is NotAPluginReason
//      are files that are no usable plug-in, which the program never
//      reported; the others crashed, hung, exited or raised while loading.
//
//   3. setViewSize(devicePixels) with the preview's area whenever it changes;
//      pictures come scaled down to fit it (aspect kept, never enlarged).
//
//   Paths are the program's paths (platform/NativePath.h: the file
//   system's exact bytes); result.path is the path as asked for.
//
//   4. To show a file: requestPicture(path). pictureReady(result) follows
//      exactly once for that path unless another requestPicture() or
//      cancelPicture() comes first; a result for an earlier path is never
//      delivered. result.ok with result.image, or result.error (the text
//      the picture types raise, or how the decoder ended: crashed, exited,
//      ran over the time limit), which the window shows naming the file
//      before moving on as it does for any file that does not load.
//
//   5. While a picture is on screen: setUpcoming(paths) with the next files
//      in the folder's order whose extension is registered (as many as the
//      window likes; the pool takes what fits its budget, front first).
//      They are decoded ahead, at most 8 pictures or 256 MB of scaled
//      pixels, whichever comes first. A result decoded ahead is used only if
//      the file's identity (device, inode, size, modification and change
//      time) is unchanged when its turn comes; otherwise it is decoded again.
//
// A decoder that crashes, exits or overruns its time limit (15 s a step) is
// killed and started again; the file it was on counts as one that cannot be
// shown. A decoder that dies while loading a plug-in is started again
// without that file, which goes to the catalogue's leftOut list.

#include "decoder/DecoderTexts.h"
#include "decoder/Protocol.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <map>

namespace decoder {

class DecoderProcess;

struct PoolOptions {
    QString executable;   // empty: defaultDecoderExecutable()
    int processCount = 0; // 0: one per core, at most 4
    int timeLimitMs = 15000;
    int aheadPictures = 8;
    qint64 aheadBytes = qint64(256) * 1024 * 1024;
};

struct PictureResult {
    QString path;
    bool ok = false;
    QString error;  // why it cannot be shown, when not ok
    QSize fullSize; // the picture's own size
    QImage image;   // scaled to fit the view size; null when not ok
    // Not ok because a decoder crashed, exited or overran on it (or none could
    // be started), rather than because the file is no picture it can read.
    bool decoderEnded = false;
};

class DecoderPool : public QObject {
    Q_OBJECT

public:
    explicit DecoderPool(PoolOptions options = {}, QObject* parent = nullptr);
    ~DecoderPool() override;

    void setPluginMasks(const QStringList& masks);
    [[nodiscard]] bool hasCatalogue() const { return hasCatalogue_; }
    [[nodiscard]] const Catalogue& catalogue() const { return catalogue_; }

    void setViewSize(QSize devicePixels);
    void requestPicture(const QString& path);
    void cancelPicture();
    void setUpcoming(const QStringList& paths);

    [[nodiscard]] int processCount() const { return processCount_; }
    // Pictures decoded ahead and waiting, and the bytes of their pixels.
    [[nodiscard]] int cachedPictures() const;
    [[nodiscard]] qint64 cachedBytes() const;

signals:
    void catalogueReady(const decoder::Catalogue& catalogue);
    void pictureReady(const decoder::PictureResult& result);

private:
    struct Job {
        QByteArray pathBytes;
        quint64 id = 0;
        QSize box;
        FileIdentity requestedIdentity;
        bool forCurrent = false; // asked for at its turn: used as it comes
        bool done = false;
        FileIdentity decodedIdentity;
        PictureResult result;
        qint64 bytes = 0;
    };

    void startProcess();
    void onReady(DecoderProcess* process, const Catalogue& catalogue);
    void onDecoded(DecoderProcess* process, const DecodeResult& answer, const QImage& pixels);
    void onEnded(DecoderProcess* process, const ProcessEnd& end, const QString& pluginFile,
                 bool wasDecoding, quint64 requestId);
    void schedule();
    [[nodiscard]] Job* nextJob();
    Job& addJob(const QString& path, FileIdentity identity, bool forCurrent);
    [[nodiscard]] bool usable(const Job& job) const;
    // Hands the current file's finished job to the window, or drops it to be
    // decoded again; true when it was handed over.
    bool offerCurrent();
    void deliver(PictureResult result);
    void dropUnwanted();
    void stopProcesses();
    [[nodiscard]] qint64 boxBytes() const;

    PoolOptions options_;
    int processCount_ = 1;
    QList<DecoderProcess*> processes_;
    Configure setup_;
    QList<LeftOutPlugin> leftOut_; // found by this side: crashed, hung, exited
    Catalogue catalogue_;
    bool hasCatalogue_ = false;
    int startFailures_ = 0;
    QString brokenReason_; // not empty: no decoder can be started

    QSize box_;
    QString current_;
    bool currentWaiting_ = false;
    quint64 deliveries_ = 0; // tells a queued delivery whether it still counts
    QStringList upcoming_;
    std::map<QString, Job> jobs_;
    QHash<quint64, QString> pathOfRequest_;
    quint64 nextId_ = 1;
};

} // namespace decoder
