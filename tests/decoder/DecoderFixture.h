#pragma once

// What the decoder tests share: pictures for the misbehaving test plug-in,
// plug-in folders assembled from the plug-ins built for these tests, and a
// way to browse a list of files through a pool the way the window does.

#include "decoder/DecoderPool.h"
#include "support/TempDir.h"

#include <QList>
#include <QStringList>

namespace decoder_test {

// A "*.mis" file: `word` is GOOD, CRSH, HANG or EXIT.
[[nodiscard]] QByteArray misPicture(const char* word, int width = 40, int height = 30,
                                    int grey = 128);

// A folder in `dir` holding copies of the named test plug-ins ("misbehaving",
// "crash_on_load", ...), each as "<name>.spi"; gives its search mask.
QString pluginFolder(const TempDir& dir, const QStringList& plugins);

// Options for a pool of `processes` decoders of the build tree.
[[nodiscard]] decoder::PoolOptions poolOptions(int processes, int timeLimitMs = 15000);

// Waits for the pool's catalogue; false when none came.
bool waitForCatalogue(decoder::DecoderPool& pool);

// Asks for each file in turn, handing over the rest as upcoming, and gives
// every result in order (a result with ok false and an empty path when one
// never came).
[[nodiscard]] QList<decoder::PictureResult> browse(decoder::DecoderPool& pool,
                                                   const QStringList& paths);

} // namespace decoder_test
