#pragma once

// The printed result of a benchmark: rows of a time per item, some of them
// compared with a floor measured in the same run against a target ratio. The
// target is judged on the clock; the processor-time ratio is shown beside it.

#include "bench/sorting/Stopwatch.h"

#include <QString>
#include <optional>
#include <ostream>
#include <vector>

struct RatioCheck {
    double ratio = 0;    // on the clock
    double cpuRatio = 0; // in processor time
    double target = 0;
    double limit = 0; // seconds on the clock; when set, it decides instead of the ratio
    double wall = 0;
    [[nodiscard]] bool met() const { return limit > 0 ? wall <= limit : ratio <= target; }
};

class BenchTable {
public:
    explicit BenchTable(QString title) : title_(std::move(title)) {}

    // A plain row: a time per item.
    void addTime(const QString& label, Timing time);
    // A row compared with `floor`; returns the comparison.
    RatioCheck addCompared(const QString& label, Timing time, Timing floor, double target);
    // A row held to an absolute limit, its ratio to `floor` shown beside it.
    RatioCheck addLimited(const QString& label, Timing time, Timing floor, double limitSeconds);

    void print(std::ostream& out) const;

private:
    struct Row {
        QString label;
        Timing time;
        std::optional<RatioCheck> check;
    };
    QString title_;
    std::vector<Row> rows_;
};

[[nodiscard]] double ratioOf(double value, double floor);
// The median of `values` (the mean of the middle two for an even count); 0 for none.
[[nodiscard]] double median(std::vector<double> values);
// Median of the clock and of the processor times, taken separately.
[[nodiscard]] Timing median(const std::vector<Timing>& timings);
