// The marker-to-reply figure of the window benches: blocks of the console's marker rounds
// answered through the program's main window, against blocks answered by the bare responder
// (marker_echo.h), interleaved in pairs. Each block's rounds are checked to be in step; a run
// with a block out of step, or with a window median below the bare echo's fastest round (which
// only a stale reply could give), is refused instead of printed as valid.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "device_line.h"

namespace tarvex::bench {

// Times one block of rounds on `line`; `inStep` is false when a round was out of step.
using MarkerBlock = std::function<std::vector<double>(devsim::DeviceLine& line, bool& inStep)>;

// Runs the console's markers in turn for `rounds` rounds on `line`: the block MarkerBlock runs,
// on whatever thread its caller chooses.
std::vector<double> TimeMarkerBlock(devsim::DeviceLine& line, int rounds, bool& inStep);

// Prints the figure (p99 of each block, window over bare echo, min / median / max of `pairs`)
// and the medians of the blocks' p50s; false when the run is refused.
bool CompareMarkerRounds(devsim::DeviceLine& window, devsim::DeviceLine& echo, int pairs,
                         int rounds, const MarkerBlock& block, const std::string& label);

}  // namespace tarvex::bench
