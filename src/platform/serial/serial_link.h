// The serial port as the device jobs see it. Every operation reports success as a boolean and
// none throws; the jobs call them in the order they are declared here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <optional>

#include "platform/win32.h"  // EV_RXCHAR, the one event bit the jobs ask for

// The line settings a job applies on top of the port's own, in the order of the platform's
// device-control record. A field left empty keeps what the port's raw state has (XON/XOFF off).
struct LinkProfile {
    std::uint32_t BaudRate = 0;
    bool fParity = false;       // parity checking
    std::optional<bool> fOutX;  // XON/XOFF on transmit
    std::uint8_t ByteSize = 8;
    std::uint8_t Parity = 0;    // 0 = NOPARITY, 1 = odd, 2 = even
    std::uint8_t StopBits = 0;  // 0 = ONESTOPBIT, 2 = TWOSTOPBITS
    std::optional<char> XonChar;
    std::optional<char> XoffChar;
};

class SerialLink {
  public:
    virtual ~SerialLink() = default;

    // Opens the device named exactly `portName` for this program alone.
    virtual bool Open(const std::wstring& portName) = 0;
    virtual bool ReadSettings() = 0;
    // Changes exactly the profile's fields in the settings read, and writes them back.
    virtual bool ApplySettings(const LinkProfile& profile) = 0;
    virtual bool SetEventMask(std::uint32_t mask) = 0;
    // Reads return at once with what has arrived; writes have no time-out.
    virtual bool ReadTimeouts() = 0;
    virtual bool ApplyTimeouts() = 0;
    // Blocks without a time-out until an event of the mask occurs; false when the port fails.
    virtual bool WaitForEvent(std::uint32_t& events) = 0;
    // Takes at most `room` bytes of what has arrived, without waiting.
    virtual std::size_t ReadAvailable(std::uint8_t* buffer, std::size_t room) = 0;
    // Blocks until every byte is handed over or the write fails.
    virtual bool Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) = 0;
    // Waits until the port has sent everything written to it (a write returns once the bytes
    // are in the port's buffer); false when the line fails or hangs up meanwhile, or the wait is
    // cancelled.
    virtual bool Drain() = 0;
    virtual void Close() = 0;

    // The operating system's error number of the last failure.
    virtual std::uint32_t LastError() const = 0;
    // Whether the link's waits and writes have been cancelled: the window cancels a job's link
    // only as it closes. A failure's error number cannot tell it, since a driver fails a pending
    // read of a pulled adapter with the same "aborted" as a cancellation.
    virtual bool Cancelled() const = 0;
};
