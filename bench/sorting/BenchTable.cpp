#include "bench/sorting/BenchTable.h"

#include <algorithm>
#include <cstdio>

void BenchTable::addTime(const QString& label, Timing time) {
    rows_.push_back({label, time, std::nullopt});
}

RatioCheck BenchTable::addCompared(const QString& label, Timing time, Timing floor, double target) {
    const RatioCheck check{ratioOf(time.wall, floor.wall), ratioOf(time.cpu, floor.cpu), target};
    rows_.push_back({label, time, check});
    return check;
}

RatioCheck BenchTable::addLimited(const QString& label, Timing time, Timing floor,
                                  double limitSeconds) {
    RatioCheck check{ratioOf(time.wall, floor.wall), ratioOf(time.cpu, floor.cpu), 0};
    check.limit = limitSeconds;
    check.wall = time.wall;
    rows_.push_back({label, time, check});
    return check;
}

void BenchTable::print(std::ostream& out) const {
    char line[240];
    out << title_.toStdString() << '\n';
    std::snprintf(line, sizeof line, "  %-40s %10s %10s   %s\n", "", "clock ms", "cpu ms",
                  "ratio clock (cpu)");
    out << line;
    for (const Row& row : rows_) {
        const QByteArray label = row.label.toUtf8();
        int used = std::snprintf(line, sizeof line, "  %-40s %10.2f %10.2f", label.constData(),
                                 row.time.wall * 1000, row.time.cpu * 1000);
        if (row.check && row.check->limit > 0)
            std::snprintf(line + used, sizeof line - static_cast<size_t>(used),
                          "   %5.2fx (%4.2fx)  limit <= %.0f ms: %s", row.check->ratio,
                          row.check->cpuRatio, row.check->limit * 1000,
                          row.check->met() ? "met" : "MISSED");
        else if (row.check)
            std::snprintf(line + used, sizeof line - static_cast<size_t>(used),
                          "   %5.2fx (%4.2fx)  target <= %.2fx: %s", row.check->ratio,
                          row.check->cpuRatio, row.check->target,
                          row.check->met() ? "met" : "MISSED");
        out << line << '\n';
    }
    out << std::flush;
}

double ratioOf(double value, double floor) {
    return floor > 0 ? value / floor : 0;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

Timing median(const std::vector<Timing>& timings) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const Timing& t : timings) {
        wall.push_back(t.wall);
        cpu.push_back(t.cpu);
    }
    return {median(wall), median(cpu)};
}
