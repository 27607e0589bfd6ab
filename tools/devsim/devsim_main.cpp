// tarvex2-devsim: a simulated Quorlex 2000 console or Tessary 5500 sign controller on a
// pseudo-terminal, for trying Tarvex2 without the hardware; and the try-out firmware files.
//
// It prints the port to choose in the Communications menu, plays the device once (or, with
// --repeat, for every job until it is ended) and exits 0 when the program kept to the protocol.
// With --expect, the bytes received must be exactly the file (for the sign, the file and the end
// byte each time): what differs is said, and the exit is 1.
#include <getopt.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "firmware_file.h"
#include "platform/serial/virtual_ports.h"
#include "simulators.h"

using tarvex::platform::VirtualPortRegistration;

namespace {

constexpr char kUsage[] =
    "Usage: tarvex2-devsim console [--expect FILE] [--out FILE] [--split] [--noise]\n"
    "                              [--line-rate] [--hang-up-after N] [--power-cycle MS]\n"
    "                              [--switched-on-by FILE] [--repeat]\n"
    "       tarvex2-devsim sign (--size BYTES | --expect FILE) [--retries N]\n"
    "                           [--xoff-after N [--xoff-ms MS]] [other console options]\n"
    "       tarvex2-devsim files FOLDER\n"
    "       tarvex2-devsim --help\n"
    "\n"
    "Plays a Quorlex 2000 console or a Tessary 5500 sign controller on a pseudo-terminal. It\n"
    "prints the port and lists it in Tarvex2's Communications menu while it runs.\n"
    "\n"
    "  --expect FILE     the bytes received must be exactly FILE (the sign: and the end byte)\n"
    "  --out FILE        write everything received to FILE\n"
    "  --split           send each marker in single bytes 20 ms apart\n"
    "  --noise           send text and zero bytes around the markers\n"
    "  --line-rate       take the bytes no faster than the serial line carries them\n"
    "  --hang-up-after N drop the line after N bytes of the file\n"
    "  --power-cycle MS  wait MS after the port is set up, as a technician switching it on\n"
    "  --switched-on-by FILE  start each job once FILE appears (and remove it) instead of\n"
    "                    once the port is set up: for the far end of a virtual machine's port,\n"
    "                    whose opens and settings the pseudo-terminal does not show;\n"
    "                    what comes before is dropped, as by a device that is off (at the\n"
    "                    line's pace with --line-rate)\n"
    "  --repeat          play the device again for every job until ended (Ctrl+C)\n"
    "  --size BYTES      the size of the field-update file the sign expects\n"
    "  --retries N       the sign asks for the file N more times before it stops\n"
    "  --xoff-after N    the sign sends XOFF after N bytes of the file ...\n"
    "  --xoff-ms MS      ... and XON MS later (negative: never)\n"
    "\n"
    "'files FOLDER' writes try-out firmware files under the built-in names into FOLDER: test\n"
    "images for the simulated devices, not firmware.\n";

// The line the signal handlers stop: every wait of the simulator ends at once, and it exits
// through its destructors, removing its registration.
tarvex::devsim::DeviceLine* stoppable = nullptr;

void StopOnSignal(int) {
    if (stoppable != nullptr) stoppable->Stop();
}

struct Options {
    tarvex::devsim::Faults faults;
    std::string out;
    std::string expect;
    std::optional<std::size_t> size;
    int retries = 0;
    bool repeat = false;
};

int UsageError(const std::string& message) {
    std::fprintf(stderr, "tarvex2-devsim: %s\nTry 'tarvex2-devsim --help'.\n", message.c_str());
    return 2;
}

// A whole number for `option`, or none when `text` is not one.
std::optional<long long> Number(const char* option, const char* text, long long least) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (*text == '\0' || *end != '\0' || errno != 0 || value < least) {
        UsageError(std::string("--") + option + " needs a whole number" +
                   (least >= 0 ? " of 0 or more" : "") + ", not '" + text + "'");
        return std::nullopt;
    }
    return value;
}

// Reads the options after the device's name; false (having said why) when they are wrong.
bool ReadOptions(int argc, char** argv, Options& options) {
    static const option kLong[] = {{"expect", required_argument, nullptr, 'e'},
                                   {"out", required_argument, nullptr, 'o'},
                                   {"split", no_argument, nullptr, 's'},
                                   {"noise", no_argument, nullptr, 'n'},
                                   {"line-rate", no_argument, nullptr, 'l'},
                                   {"hang-up-after", required_argument, nullptr, 'h'},
                                   {"power-cycle", required_argument, nullptr, 'p'},
                                   {"repeat", no_argument, nullptr, 'r'},
                                   {"switched-on-by", required_argument, nullptr, 'f'},
                                   {"size", required_argument, nullptr, 'z'},
                                   {"retries", required_argument, nullptr, 't'},
                                   {"xoff-after", required_argument, nullptr, 'x'},
                                   {"xoff-ms", required_argument, nullptr, 'm'},
                                   {nullptr, 0, nullptr, 0}};
    opterr = 0;  // the messages below name the option
    for (int index = 0, choice; (choice = getopt_long(argc, argv, ":", kLong, &index)) != -1;) {
        if (choice == ':' || choice == '?') {
            const std::string given = argv[optind - 1];
            UsageError(choice == ':' ? given + " needs a value" : "unknown option " + given);
            return false;
        }
        std::optional<long long> value;
        const bool numeric = choice == 'h' || choice == 'p' || choice == 'z' || choice == 't' ||
                             choice == 'x' || choice == 'm';
        if (numeric) {
            value = Number(kLong[index].name, optarg, choice == 'm' ? -1 : 0);
            if (!value) return false;
        }
        switch (choice) {
            case 'e':
                options.expect = optarg;
                break;
            case 'o':
                options.out = optarg;
                break;
            case 's':
                options.faults.splitMarkers = true;
                break;
            case 'n':
                options.faults.noiseAroundMarkers = true;
                break;
            case 'l':
                options.faults.lineRate = true;
                break;
            case 'h':
                options.faults.hangUpAfter = static_cast<std::size_t>(*value);
                break;
            case 'p':
                options.faults.powerCycle = tarvex::devsim::Millis(*value);
                break;
            case 'r':
                options.repeat = true;
                break;
            case 'f':
                options.faults.switchedOnBy = optarg;
                break;
            case 'z':
                options.size = static_cast<std::size_t>(*value);
                break;
            case 't':
                options.retries = static_cast<int>(*value);
                break;
            case 'x':
                options.faults.xoffAfter = static_cast<std::size_t>(*value);
                break;
            case 'm':
                options.faults.xoffFor = tarvex::devsim::Millis(*value);
                break;
            default:
                return false;
        }
    }
    if (optind < argc) {
        UsageError(std::string("unexpected argument '") + argv[optind] + "'");
        return false;
    }
    return true;
}

int WriteFiles(int argc, char** argv) {
    if (argc != 3) return UsageError("files needs one FOLDER");
    std::error_code error;
    std::filesystem::create_directories(argv[2], error);
    try {
        tarvex::devsim::WriteTryOutFiles(argv[2]);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "tarvex2-devsim: %s\n", failure.what());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return UsageError("say which device: console or sign");
    const std::string device = argv[1];
    if (device == "--help" || device == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (device == "files") return WriteFiles(argc, argv);
    if (device != "console" && device != "sign") return UsageError("no such device: " + device);
    Options options;
    if (!ReadOptions(argc - 1, argv + 1, options)) return 2;
    std::optional<tarvex::devsim::Bytes> expected;
    if (!options.expect.empty()) {
        std::ifstream in(options.expect, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "tarvex2-devsim: cannot read %s\n", options.expect.c_str());
            return 2;
        }
        expected.emplace(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (device == "sign" && !options.size && !expected) {
        return UsageError("sign needs --size BYTES or --expect FILE");
    }

    tarvex::devsim::DeviceLine line;
    stoppable = &line;
    struct sigaction stop {};
    stop.sa_handler = StopOnSignal;
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
    // Offered in Tarvex2's Communications menu while this simulator runs.
    const VirtualPortRegistration registration(
        line.PortPath(), device == "sign" ? "simulated Tessary 5500 sign controller"
                                          : "simulated Quorlex 2000 console");
    if (!registration.Registered()) {
        std::fprintf(stderr,
                     "tarvex2-devsim: warning: the port is not listed in Tarvex2's menu (%s); "
                     "choose it by name\n",
                     registration.Failure().c_str());
    }
    std::printf("%s\n", line.PortPath().c_str());
    std::fflush(stdout);

    const tarvex::devsim::Millis patience(10 * 60 * 1000);
    tarvex::devsim::Outcome outcome;
    // Behind a virtual machine the port's opens are the machine's: each job is told by the file.
    const bool watchOpens = options.faults.switchedOnBy.empty();
    for (int round = 0; round == 0 || (options.repeat && !line.Stopped()); ++round) {
        // A new job opens the port afresh; its settings stay on the line from the last one.
        if (round > 0 && watchOpens &&
            !line.WaitProgramOpened(tarvex::devsim::Millis(24LL * 3600 * 1000))) {
            break;
        }
        line.ClearReceived();
        outcome = device == "console"
                      ? tarvex::devsim::PlayConsole(line, options.faults, patience,
                                                    expected ? &*expected : nullptr)
                      : tarvex::devsim::PlaySign(line, options.size.value_or(0), options.retries,
                                                 options.faults, patience,
                                                 expected ? &*expected : nullptr);
        if (line.Stopped()) break;
        std::fprintf(stderr, "%s: %s: %zu bytes received%s%s\n", device.c_str(),
                     outcome.ok ? "done" : "failed", line.Received().size(), outcome.ok ? "" : ", ",
                     outcome.failure.c_str());
        if (options.repeat && watchOpens) line.WaitProgramClosed(patience);
    }
    if (!options.out.empty()) {
        std::ofstream(options.out, std::ios::binary)
            .write(reinterpret_cast<const char*>(line.Received().data()),
                   static_cast<std::streamsize>(line.Received().size()));
    }
    stoppable = nullptr;
    if (line.Stopped()) return options.repeat ? 0 : 1;  // ended by a signal
    return outcome.ok ? 0 : 1;
}
