#include "simulators.h"

#include <thread>

namespace devsim {
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

}  // namespace

Outcome PlayConsole(DeviceLine& line, const Faults& faults, Millis timeout) {
    if (!line.WaitConfigured(115200, false, timeout)) return Failed("the port was never set up");
    if (!SendMarker(line, "!0", faults) || !line.Expect("#0", timeout)) return Failed("no #0");
    if (!SendMarker(line, "!3", faults) || !line.Expect("#1", timeout)) return Failed("no #1");
    if (!SendMarker(line, "!6", faults)) return Failed("could not send !6");
    const double rate = faults.lineRate ? kConsoleBytesPerSecond : 0;
    if (faults.hangUpAfter > 0) {
        line.ReceiveCount(faults.hangUpAfter, timeout, rate);
        line.HangUp();
        return Failed("hung up during the transfer, as asked");
    }
    if (!line.ReceiveImage(Millis(500), timeout, rate)) return Failed("no image");
    return Outcome{true, {}};
}

Outcome PlaySign(DeviceLine& line, std::size_t fileSize, int retries, const Faults& faults,
                 Millis timeout) {
    if (!line.WaitConfigured(19200, true, timeout)) return Failed("the port was never set up");
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
        if (!line.ReceiveCount(expected, timeout, rate)) return Failed("short transmission");
        if (line.Received().empty() || line.Received().back() != 0x7D) return Failed("no end byte");
    }
    if (!SendMarker(line, "!10", faults)) return Failed("could not send !10");
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

}  // namespace devsim
