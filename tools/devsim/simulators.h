// A Quorlex 2000 console and a Tessary 5500 sign controller, each as a script over a DeviceLine.
#pragma once

#include <string>

#include "device_line.h"

namespace tarvex::devsim {

struct Faults {
    bool splitMarkers = false;        // each marker in single-byte writes 20 ms apart
    bool noiseAroundMarkers = false;  // text and zero bytes in writes of their own around markers
    bool lineRate = false;        // take the program's bytes no faster than the line carries them
    std::size_t hangUpAfter = 0;  // drop the line after this many bytes of the file (0: never)
    std::size_t xoffAfter = 0;    // sign: send XOFF after this many bytes of the file (0: never)
    Millis xoffFor{300};          // ... and XON after this long (negative: never)
    Millis powerCycle{0};         // how long the technician takes to switch the device on
    // At the far end of a virtual machine's port, whose opens and settings the pseudo-terminal
    // does not show: each job starts once this file appears (the device removes it), as a
    // technician switches the device on when the window asks. Empty: once the port is set up.
    std::string switchedOnBy;
};

struct Outcome {
    bool ok = false;
    std::string failure;  // what went wrong, for people
};

// Plays the console after a power cycle: "!0", waits for "#0", "!3", waits for "#1", "!6", then
// receives the image until its Intel HEX end record or an idle gap (with `expected`, until its
// length or an idle gap, and the image must be exactly `expected`), and stays connected until
// the program has closed the port, as a powered console does. The bytes the program sent are in
// the line's Received().
Outcome PlayConsole(DeviceLine& line, const Faults& faults, Millis timeout,
                    const Bytes* expected = nullptr);

// Plays the sign controller: asks with "!0" `1 + retries` times, each time receiving
// `fileSize` bytes and the end byte 0x7D (with `file`, exactly that file and the end byte),
// then sends "!10" and stays connected until the program has closed the port, as a powered sign
// does, so that the stop is never lost to the sign's own hang-up.
Outcome PlaySign(DeviceLine& line, std::size_t fileSize, int retries, const Faults& faults,
                 Millis timeout, const Bytes* file = nullptr);

// The bytes a console should have received for `image`: "#0", "#1", then the image.
Bytes ExpectedConsoleBytes(const Bytes& image);
// The bytes a sign should have received for `file` sent `1 + retries` times.
Bytes ExpectedSignBytes(const Bytes& file, int retries);

}  // namespace tarvex::devsim
