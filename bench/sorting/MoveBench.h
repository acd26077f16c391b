#pragma once

// Moving large JPEG pictures within one file system through the sorting action
// a digit key runs, picture by picture, against a durable copy of the same file
// timed just before it. A move there is a rename and writes no data, so it
// should cost a small fraction of the copy.

#include "bench/sorting/BenchTable.h"

#include <QSize>
#include <QString>
#include <optional>
#include <ostream>

struct MoveOptions {
    QString cacheFolder; // generated pictures are kept here; work folders go here too
    int pictures = 200;
    int distinctPictures = 10; // generated once; the moved files are copies of them
    QSize pictureSize{6000, 4000};
    double target = 0.1;
};

// The comparison; nothing when the run went wrong (the reason is written to `out`).
[[nodiscard]] std::optional<RatioCheck> runMoveBench(const MoveOptions& options, std::ostream& out);
