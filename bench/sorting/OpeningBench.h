#pragma once

// Opening a folder of many files none of which is a picture, until the search
// reaches its end, timed against `find DIR -maxdepth 1 -type f | wc -l` on the
// same folder in the same run.

#include "bench/sorting/BenchTable.h"

#include <QString>
#include <optional>
#include <ostream>

struct OpeningOptions {
    QString cacheFolder; // the generated folder is kept here
    int files = 100000;
    int repeats = 5;
    double target = 3.0;
};

// The comparison; nothing when the run went wrong (the reason is written to `out`).
[[nodiscard]] std::optional<RatioCheck> runOpeningBench(const OpeningOptions& options,
                                                        std::ostream& out);
