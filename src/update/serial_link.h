// The serial port as the device jobs see it. Every operation reports success as a boolean and
// none throws; the jobs call them in the order they are declared here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "update/link_profile.h"

#include "platform/win32_types.h"  // EV_RXCHAR, the one event bit the jobs ask for

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
    virtual void Close() = 0;

    // The operating system's error number of the last failure.
    virtual std::uint32_t LastError() const = 0;
};
