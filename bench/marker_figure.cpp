#include "marker_figure.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "bench_stats.h"
#include "marker_rounds.h"

namespace tarvex::bench {

std::vector<double> TimeMarkerBlock(devsim::DeviceLine& line, int rounds, bool& inStep) {
    using namespace std::chrono_literals;
    const auto times = devsim::TimeMarkerRounds(line, devsim::kConsoleMarkerReplies, rounds, 5s);
    inStep = times.InStep();
    if (!inStep) {
        std::printf("   INVALID: %s\n", times.fault.c_str());
        return {0};  // stands for the refused block
    }
    return times.microseconds;
}

bool CompareMarkerRounds(devsim::DeviceLine& window, devsim::DeviceLine& echo, int pairs,
                         int rounds, const MarkerBlock& block, const std::string& label) {
    bool valid = true;
    std::vector<double> windowP50;
    std::vector<double> echoP50;
    double echoFloor = 1e9;
    const auto ratios = Interleaved(
        pairs,
        [&] {
            bool inStep = true;
            const auto us = block(window, inStep);
            valid = valid && inStep;
            windowP50.push_back(Percentile(us, 0.5));
            return Percentile(us, 0.99);
        },
        [&] {
            bool inStep = true;
            const auto us = block(echo, inStep);
            valid = valid && inStep;
            echoP50.push_back(Percentile(us, 0.5));
            echoFloor = std::min(echoFloor, Percentile(us, 0));
            return Percentile(us, 0.99);
        },
        Ratio);
    // The window's path holds the bare responder's and more: a median below the responder's
    // fastest round cannot be a true figure.
    for (double p50 : windowP50) {
        if (valid && p50 < echoFloor) {
            std::printf(
                "   INVALID: a median of %.0f us through the window, below the bare "
                "echo's fastest round of %.0f us\n",
                p50, echoFloor);
            valid = false;
        }
    }
    PrintSpread(label + ", p99 of " + std::to_string(rounds) + " rounds", ratios, "%.2f", "<= 1.3");
    std::printf("   medians of the p50s: window %.0f us, bare echo %.0f us\n",
                Percentile(windowP50, 0.5), Percentile(echoP50, 0.5));
    return valid;
}

}  // namespace tarvex::bench
