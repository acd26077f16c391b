#pragma once

// The undo journal: opening a journal of 10 000 records (as the window does
// at start) against reading the same file's bytes, and undoing the last of
// them (a move within one file system) against the bare rename that undo
// makes, with its folder flushes. Both are held to absolute limits.

#include "bench/sorting/BenchTable.h"

#include <QString>
#include <optional>
#include <ostream>
#include <vector>

struct UndoOptions {
    QString cacheFolder; // work folders go here
    int records = 10000;
    int repeats = 30;
    double openLimit = 0.050;
    double undoLimit = 0.010;
};

// The two checks; nothing when the run went wrong (the reason is written to `out`).
[[nodiscard]] std::optional<std::vector<RatioCheck>> runUndoBench(const UndoOptions& options,
                                                                  std::ostream& out);
