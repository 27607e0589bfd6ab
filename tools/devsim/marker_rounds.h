// Rounds of marker and reply, timed from the device's side of the line, each checked to be in
// step with the program: the line is drained before the marker goes (anything found there is a
// stray or late reply), and what comes back must be exactly the reply the marker asks for. A
// round that reads a reply left from an earlier one would time nothing but the line.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "device_line.h"

namespace tarvex::devsim {

struct MarkerReply {
    std::string marker;
    std::string reply;
};

// The console's first two markers and the program's replies: taken in turn, a reply left from
// the round before is never the one the next round asks for.
inline const std::vector<MarkerReply> kConsoleMarkerReplies = {{"!0", "#0"}, {"!3", "#1"}};

struct RoundTimes {
    std::vector<double> microseconds;  // of each round, in order
    std::string fault;                 // what put a round out of step; empty when none was
    bool InStep() const { return fault.empty(); }
};

// Runs `rounds` rounds, sending the markers of `pairs` in turn; stops at the first round out
// of step, or without its reply within `timeout`.
RoundTimes TimeMarkerRounds(DeviceLine& line, std::span<const MarkerReply> pairs, int rounds,
                            Millis timeout);

}  // namespace tarvex::devsim
