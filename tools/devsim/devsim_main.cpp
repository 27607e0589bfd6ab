// tarvex2-devsim: a simulated Quorlex 2000 console or Tessary 5500 sign controller on a
// pseudo-terminal, for trying Tarvex2 without the hardware.
//
//   tarvex2-devsim console [--expect FILE] [--out FILE] [--split] [--noise] [--line-rate]
//                          [--hang-up-after N]
//   tarvex2-devsim sign (--size BYTES | --expect FILE) [--retries N] [--xoff-after N
//                       [--xoff-ms MS]] ...
//
// It prints the port to choose in the Communications menu, plays the device once and exits 0
// when the program kept to the protocol. With --expect, the bytes received must be exactly the
// file (for the sign, the file and the end byte each time): what differs is said, and the exit
// is 1.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "platform/virtual_ports.h"
#include "simulators.h"

using tarvex::platform::VirtualPortRegistration;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s console|sign [options]\n", argv[0]);
        return 2;
    }
    const std::string device = argv[1];
    tarvex::devsim::Faults faults;
    std::string out;
    std::string expect;
    std::size_t size = 0;
    int retries = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : "0"; };
        if (option == "--out")
            out = value();
        else if (option == "--expect")
            expect = value();
        else if (option == "--split")
            faults.splitMarkers = true;
        else if (option == "--noise")
            faults.noiseAroundMarkers = true;
        else if (option == "--line-rate")
            faults.lineRate = true;
        else if (option == "--hang-up-after")
            faults.hangUpAfter = std::strtoul(value(), nullptr, 10);
        else if (option == "--xoff-after")
            faults.xoffAfter = std::strtoul(value(), nullptr, 10);
        else if (option == "--xoff-ms")
            faults.xoffFor = tarvex::devsim::Millis(std::atol(value()));
        else if (option == "--size")
            size = std::strtoul(value(), nullptr, 10);
        else if (option == "--retries")
            retries = std::atoi(value());
        else {
            std::fprintf(stderr, "unknown option %s\n", option.c_str());
            return 2;
        }
    }
    std::optional<tarvex::devsim::Bytes> expected;
    if (!expect.empty()) {
        std::ifstream in(expect, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", expect.c_str());
            return 2;
        }
        expected.emplace(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    tarvex::devsim::DeviceLine line;
    // Offered in Tarvex2's Communications menu while this simulator runs.
    const VirtualPortRegistration registration(
        line.PortPath(), device == "sign" ? "simulated Tessary 5500 sign controller"
                                          : "simulated Quorlex 2000 console");
    std::printf("%s\n", line.PortPath().c_str());
    std::fflush(stdout);
    const tarvex::devsim::Millis patience(10 * 60 * 1000);
    tarvex::devsim::Outcome outcome;
    if (device == "console") {
        outcome =
            tarvex::devsim::PlayConsole(line, faults, patience, expected ? &*expected : nullptr);
    } else if (device == "sign") {
        outcome = tarvex::devsim::PlaySign(line, size, retries, faults, patience,
                                           expected ? &*expected : nullptr);
    } else {
        std::fprintf(stderr, "no such device: %s\n", device.c_str());
        return 2;
    }
    if (!out.empty()) {
        std::ofstream(out, std::ios::binary)
            .write(reinterpret_cast<const char*>(line.Received().data()),
                   static_cast<std::streamsize>(line.Received().size()));
    }
    std::fprintf(stderr, "%s: %zu bytes received%s%s\n", outcome.ok ? "done" : "failed",
                 line.Received().size(), outcome.ok ? "" : ", ", outcome.failure.c_str());
    return outcome.ok ? 0 : 1;
}
