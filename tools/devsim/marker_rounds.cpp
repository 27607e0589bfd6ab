#include "marker_rounds.h"

#include <chrono>
#include <cstdio>

namespace tarvex::devsim {
namespace {

std::string Quoted(const Bytes& bytes) {
    std::string text = "\"";
    for (std::uint8_t byte : bytes) {
        if (byte >= 0x20 && byte < 0x7F) {
            text.push_back(static_cast<char>(byte));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        }
    }
    return text + "\"";
}

}  // namespace

RoundTimes TimeMarkerRounds(DeviceLine& line, std::span<const MarkerReply> pairs, int rounds,
                            Millis timeout) {
    using Clock = std::chrono::steady_clock;
    RoundTimes times;
    for (int round = 0; round < rounds && !pairs.empty(); ++round) {
        const MarkerReply& pair = pairs[static_cast<std::size_t>(round) % pairs.size()];
        const std::string where =
            "round " + std::to_string(round + 1) + " (\"" + pair.marker + "\"): ";
        if (const Bytes stray = line.Drain(); !stray.empty()) {
            times.fault = where + Quoted(stray) + " was waiting before the marker went";
            break;
        }
        line.ClearReceived();
        const auto start = Clock::now();
        if (!line.Send(pair.marker)) {
            times.fault = where + "the marker could not be sent";
            break;
        }
        const bool came = line.ReceiveCount(pair.reply.size(), timeout);
        const auto taken = Clock::now() - start;
        const Bytes expected(pair.reply.begin(), pair.reply.end());
        if (!came || line.Received() != expected) {
            times.fault =
                where +
                (line.Received().empty() ? std::string("no reply") : Quoted(line.Received())) +
                " where " + Quoted(expected) + " was due";
            break;
        }
        times.microseconds.push_back(std::chrono::duration<double, std::micro>(taken).count());
    }
    return times;
}

}  // namespace tarvex::devsim
