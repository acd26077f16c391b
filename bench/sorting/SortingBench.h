#pragma once

// Sorting a folder of large pictures through the keys, as a user does: open the
// folder, then one digit key per picture, for copy and for move. Each run's time
// per picture is compared with the floors measured in the same run: reading a
// picture and scaling it for the preview pane, and a durable copy of the file.

#include "bench/sorting/BenchTable.h"

#include <QSize>
#include <QString>
#include <optional>
#include <ostream>
#include <vector>

struct SortingOptions {
    QString cacheFolder; // generated pictures are kept here; work folders go here too
    int pictures = 200;
    QSize pictureSize{4000, 3000};
    double target = 1.3;
};

// The comparisons for copy and for move; nothing when the run went wrong (the
// reason is written to `out`).
[[nodiscard]] std::optional<std::vector<RatioCheck>> runSortingBench(const SortingOptions& options,
                                                                     std::ostream& out);
