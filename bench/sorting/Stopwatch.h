#pragma once

// Elapsed time of a stretch of work, both on the clock and as processor time of
// the whole process (all threads). On a shared machine the clock also counts
// waiting for other people's work; the processor time does not, but it misses
// time spent waiting for the disk. The benchmarks report both.

#include <chrono>
#include <ctime>

struct Timing {
    double wall = 0; // seconds
    double cpu = 0;  // seconds

    Timing& operator+=(const Timing& other) {
        wall += other.wall;
        cpu += other.cpu;
        return *this;
    }
    [[nodiscard]] Timing operator+(const Timing& other) const { return Timing(*this) += other; }
    [[nodiscard]] Timing operator/(double divisor) const { return {wall / divisor, cpu / divisor}; }
};

class Stopwatch {
public:
    Stopwatch() : wall_(std::chrono::steady_clock::now()), cpu_(processSeconds()) {}

    [[nodiscard]] Timing elapsed() const {
        return {std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_).count(),
                processSeconds() - cpu_};
    }

private:
    static double processSeconds() {
        timespec now{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
    }

    std::chrono::steady_clock::time_point wall_;
    double cpu_;
};
