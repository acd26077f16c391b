#pragma once

// What marking the destinations that already hold the picture's name adds to
// the way from a key to the next picture, with nine destinations of 10 000
// files each: the marks of the leaving picture cleared, the next picture's
// looked up (one stat() per destination) and shown in the list and on the
// buttons. Judged against 1 ms; nine bare stat() calls of the same paths,
// timed in the same run, are the floor it is shown against.

#include "bench/sorting/BenchTable.h"

#include <QString>
#include <optional>
#include <ostream>

struct ClashOptions {
    QString cacheFolder; // the generated folders are kept here
    int filesPerDestination = 10000;
    int pictures = 200;
    double budgetSeconds = 0.001;
};

// The comparison with the budget; nothing when the run went wrong (the reason
// is written to `out`).
[[nodiscard]] std::optional<RatioCheck> runClashBench(const ClashOptions& options,
                                                      std::ostream& out);
