// A serial port on termios, with the behaviour the device jobs are written for: exclusive open,
// settings changed as a whole, reads that return at once, writes without a time-out, and a
// wait for received bytes that sleeps in poll() and can be cancelled from another thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/serial_link.h"
#include "platform/win32_types.h"

namespace tarvex::platform {

// Cancels every wait and write of the ports that share it, now and later. Any thread may cancel.
class Cancellation {
  public:
    Cancellation();
    ~Cancellation();
    Cancellation(const Cancellation&) = delete;
    Cancellation& operator=(const Cancellation&) = delete;

    void Cancel();
    bool IsCancelled() const;
    int Descriptor() const { return fd_; }  // readable once cancelled

  private:
    int fd_;
};

// The system's serial link: a termios port.
class SerialPort final : public SerialLink {
  public:
    explicit SerialPort(std::shared_ptr<Cancellation> cancellation);
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens the device named exactly `path`, for this program alone (flock and TIOCEXCL).
    bool Open(const std::wstring& path) override;
    // Reads the current settings; ApplySettings changes the profile's fields in them, on top of
    // raw mode as cfmakeraw makes it.
    bool ReadSettings() override;
    bool ApplySettings(const LinkProfile& profile) override;
    bool SetEventMask(std::uint32_t mask) override;
    // Reads return at once; writes have no time-out.
    bool ReadTimeouts() override;
    bool ApplyTimeouts() override;
    // Sleeps until a byte has arrived (EV_RXCHAR in `events`); fails on a hang-up, an error or
    // cancellation.
    bool WaitForEvent(std::uint32_t& events) override;
    // Takes what has arrived, up to `room` bytes, without waiting.
    std::size_t ReadAvailable(std::uint8_t* buffer, std::size_t room) override;
    // Hands all bytes to the port, waiting while it is full (or held by XOFF); false on failure,
    // with `written` bytes handed over.
    bool Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) override;
    // Sleeps until the port's output queue is empty; fails on a hang-up or cancellation.
    bool Drain() override;
    void Close() override;

    // The operating system's error number of the last failure.
    std::uint32_t LastError() const override { return lastError_; }

  private:
    bool Fail();
    // Sleeps until the port is ready for `events` (or reports a hang-up in `revents`); false on
    // cancellation or a failed poll.
    bool Await(short events, short& revents);
    struct Settings;

    std::shared_ptr<Cancellation> cancellation_;
    int fd_ = -1;
    std::unique_ptr<Settings> settings_;  // read by ReadSettings
    std::uint32_t eventMask_ = 0;
    std::uint32_t lastError_ = 0;
};

}  // namespace tarvex::platform
