#include "simulators.h"

#include <filesystem>
#include <thread>

namespace tarvex::devsim {
namespace {

constexpr double kConsoleBytesPerSecond = 115200.0 / 10;
constexpr double kSignBytesPerSecond = 19200.0 / 10;

bool SendMarker(DeviceLine& line, const std::string& marker, const Faults& faults) {
    if (faults.noiseAroundMarkers) {
        if (!line.Send(std::string("boot\0", 5))) return false;
        std::this_thread::sleep_for(Millis(20));  // the zero ends its chunk: keep it apart
    }
    if (!line.Send(marker, faults.splitMarkers ? Millis(20) : Millis(0))) return false;
    if (faults.noiseAroundMarkers) {
        std::this_thread::sleep_for(Millis(20));
        return line.Send("ok?");
    }
    return true;
}

Outcome Failed(std::string what) { return Outcome{false, std::move(what)}; }

// Waits until the device is switched on: the program has set the port up, or the file that
// stands for the technician's hand has appeared.
bool SwitchedOn(DeviceLine& line, const Faults& faults, std::uint32_t baudRate, bool xonXoff,
                Millis timeout) {
    if (faults.switchedOnBy.empty()) return line.WaitConfigured(baudRate, xonXoff, timeout);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const LinePace pace(faults.lineRate ? baudRate / 10.0 : 0);
    std::size_t dropped = 0;
    std::error_code error;
    while (!std::filesystem::remove(faults.switchedOnBy, error)) {
        // A device that is off takes in nothing: what reaches its line is lost, as on a wire
        // (at the line's pace when asked), rather than backed up in the port, behind which an
        // adapter would stall.
        dropped += line.Drain(pace.Allowed(dropped)).size();
        if (std::chrono::steady_clock::now() >= deadline || !line.Pause(Millis(5))) return false;
    }
    if (!faults.lineRate) line.Drain();
    return true;
}

// A powered device stays on the line until the program has let go of the port. Behind a
// virtual machine the port's opens are the machine's, and the line simply stays.
void StayUntilReleased(DeviceLine& line, const Faults& faults, Millis linger) {
    if (faults.switchedOnBy.empty()) line.WaitProgramClosed(linger);
}

}  // namespace

// How long a device stays connected after its part for the program to close the port.
constexpr Millis kStopLinger{2000};

Outcome PlayConsole(DeviceLine& line, const Faults& faults, Millis timeout, const Bytes* expected) {
    line.ForgetEarlierReleases();
    if (!SwitchedOn(line, faults, 115200, false, timeout))
        return Failed("the port was never set up");
    if (!line.Pause(faults.powerCycle)) return Failed("stopped");
    if (!SendMarker(line, "!0", faults) || !line.Expect("#0", timeout)) return Failed("no #0");
    if (!SendMarker(line, "!3", faults) || !line.Expect("#1", timeout)) return Failed("no #1");
    const std::size_t imageStart = line.Received().size();
    if (!SendMarker(line, "!6", faults)) return Failed("could not send !6");
    const double rate = faults.lineRate ? kConsoleBytesPerSecond : 0;
    if (faults.hangUpAfter > 0) {
        line.ReceiveCount(faults.hangUpAfter, timeout, rate);
        line.HangUp();
        return Failed("hung up during the transfer, as asked");
    }
    if (expected != nullptr) {
        line.ReceiveCount(expected->size(), timeout, rate);
        const Bytes image(line.Received().begin() + static_cast<long>(imageStart),
                          line.Received().end());
        if (std::string difference = Difference(image, *expected); !difference.empty()) {
            return Failed("the image is not the file: " + difference);
        }
    } else if (!line.ReceiveImage(Millis(500), timeout, rate)) {
        return Failed("no image");
    }
    // A powered console stays on the line: the program sees the image through before it lets go.
    StayUntilReleased(line, faults, kStopLinger);
    return Outcome{true, {}};
}

Outcome PlaySign(DeviceLine& line, std::size_t fileSize, int retries, const Faults& faults,
                 Millis timeout, const Bytes* file) {
    line.ForgetEarlierReleases();
    if (file != nullptr) fileSize = file->size();
    if (!SwitchedOn(line, faults, 19200, true, timeout)) return Failed("the port was never set up");
    if (!line.Pause(faults.powerCycle)) return Failed("stopped");
    const double rate = faults.lineRate ? kSignBytesPerSecond : 0;
    for (int request = 0; request <= retries; ++request) {
        if (!SendMarker(line, "!0", faults)) return Failed("could not send !0");
        std::size_t expected = fileSize + 1;  // the file and the end byte
        if (faults.xoffAfter > 0 && faults.xoffAfter < fileSize) {
            if (!line.ReceiveCount(faults.xoffAfter, timeout, rate)) return Failed("short file");
            line.Send("\x13");
            if (faults.xoffFor.count() < 0) return Failed("holding XOFF for ever, as asked");
            std::this_thread::sleep_for(faults.xoffFor);
            line.Send("\x11");
            expected -= faults.xoffAfter;
        }
        if (faults.hangUpAfter > 0) {
            line.ReceiveCount(faults.hangUpAfter, timeout, rate);
            line.HangUp();
            return Failed("hung up during the transfer, as asked");
        }
        const std::size_t start = line.Received().size() - (fileSize + 1 - expected);
        if (!line.ReceiveCount(expected, timeout, rate)) return Failed("short transmission");
        if (line.Received().empty() || line.Received().back() != 0x7D) return Failed("no end byte");
        if (file != nullptr) {
            Bytes wanted = *file;
            wanted.push_back(0x7D);
            const Bytes sent(line.Received().begin() + static_cast<long>(start),
                             line.Received().end());
            if (std::string difference = Difference(sent, wanted); !difference.empty()) {
                return Failed("transmission " + std::to_string(request + 1) +
                              " is not the file and its end byte: " + difference);
            }
        }
    }
    if (!SendMarker(line, "!10", faults)) return Failed("could not send !10");
    StayUntilReleased(line, faults, kStopLinger);
    return Outcome{true, {}};
}

Bytes ExpectedConsoleBytes(const Bytes& image) {
    Bytes bytes{'#', '0', '#', '1'};
    bytes.insert(bytes.end(), image.begin(), image.end());
    return bytes;
}

Bytes ExpectedSignBytes(const Bytes& file, int retries) {
    Bytes bytes;
    for (int request = 0; request <= retries; ++request) {
        bytes.insert(bytes.end(), file.begin(), file.end());
        bytes.push_back(0x7D);
    }
    return bytes;
}

}  // namespace tarvex::devsim
