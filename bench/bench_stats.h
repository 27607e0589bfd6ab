// What every benchmark here reports: a figure as a ratio to (or a difference from) a reference
// measured in the same run, the two measured in interleaved pairs whose order alternates, and the
// spread of the pairs as min / median / max. A figure from one run on a shared machine says little;
// the spread says how much.
#pragma once

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace tarvex::bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

inline double ProcessCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

inline double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

struct Spread {
    double min = 0;
    double median = 0;
    double max = 0;
};

inline Spread SpreadOf(const std::vector<double>& values) {
    return {Percentile(values, 0), Percentile(values, 0.5), Percentile(values, 1)};
}

// Runs `measure` and `reference` `pairs` times each, alternating which goes first, and returns
// `combine(measure, reference)` of each pair.
inline std::vector<double> Interleaved(int pairs, const std::function<double()>& measure,
                                       const std::function<double()>& reference,
                                       const std::function<double(double, double)>& combine) {
    std::vector<double> figures;
    for (int i = 0; i < pairs; ++i) {
        double measured = 0;
        double referenced = 0;
        if (i % 2 == 0) {
            measured = measure();
            referenced = reference();
        } else {
            referenced = reference();
            measured = measure();
        }
        figures.push_back(combine(measured, referenced));
    }
    return figures;
}

inline double Ratio(double measured, double reference) { return measured / reference; }

// One line of the report: "<label>: min / median / max <unit> (goal <goal>)".
inline void PrintSpread(const std::string& label, const std::vector<double>& figures,
                        const char* format, const std::string& goal) {
    const Spread spread = SpreadOf(figures);
    const std::string numbers = std::string(format) + " / " + format + " / " + format;
    std::printf("%s, %zu pairs: min / median / max ", label.c_str(), figures.size());
    std::printf(numbers.c_str(), spread.min, spread.median, spread.max);
    std::printf(" (goal %s)\n", goal.c_str());
    std::fflush(stdout);
}

// The peak resident memory of this process since it started its program, in kB (VmHWM: unlike
// the rusage figures, it does not count what the parent had when the process was made).
inline long OwnPeakRssKb() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
    }
    std::fclose(status);
    return kb;
}

// Runs `command`, a process of its own that prints its OwnPeakRssKb() as its last line, and
// returns that figure (-1 when it fails): each memory figure comes from a process of its own,
// so that nothing before it has raised the mark.
inline long ChildPeakRssKb(const std::string& command) {
    std::fflush(stdout);
    std::FILE* child = popen(command.c_str(), "r");
    if (child == nullptr) return -1;
    long kb = -1;
    char line[256];
    while (std::fgets(line, sizeof line, child) != nullptr) {
        if (std::sscanf(line, "%ld", &kb) != 1) kb = -1;
    }
    return pclose(child) == 0 ? kb : -1;
}

}  // namespace tarvex::bench
