// The system's serial port, as the device jobs see it (platform/serial/serial_link.h), and what
// ends its waits from another thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/serial/serial_link.h"

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

    // What the system's ports wait on, beside their own events.
    struct Impl;
    Impl& System() const { return *impl_; }

  private:
    std::unique_ptr<Impl> impl_;
};

// The system's serial link: the exclusive open, settings changed as a whole, reads that return
// at once, writes without a time-out, and a wait for received bytes that sleeps until a byte
// arrives and that `cancellation` ends.
std::unique_ptr<SerialLink> MakeSerialPort(std::shared_ptr<Cancellation> cancellation);

}  // namespace tarvex::platform
