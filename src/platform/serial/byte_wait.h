// The wait for a received byte on a port whose only cancellable wait is a one-byte read that
// returns at the first byte or at its time-out (Windows: an overlapped ReadFile with the
// "return at the first byte" time-outs). What an empty read means is decided here, so that both
// systems test it.
#pragma once

#include <chrono>
#include <cstdint>

namespace tarvex::platform {

class ByteWaitSteps {
  public:
    enum class Read { kByte, kEmpty, kFailed };

    virtual ~ByteWaitSteps() = default;
    // The one-byte read: a byte, nothing by the time-out, or a failure (or cancellation).
    virtual Read ReadOne(std::uint8_t& byte) = 0;
    // Whether the port still answers a question about its state.
    virtual bool PortAnswers() = 0;
    // Sleeps `pause`; false when the wait was cancelled meanwhile.
    virtual bool Pause(std::chrono::milliseconds pause) = 0;
};

enum class ByteWaitEnd { kByte, kFailed, kHungUp };

// An empty read that took less than half of `readTimeout` did not time out. A hung-up line
// completes reads at once with nothing (Wine on a pseudo-terminal, USB-serial drivers after an
// unplug), but so may a driver that takes the time-outs its own way: the port is asked, and only
// a port that no longer answers has hung up. One that answers is read again after a pause, so
// that such a driver costs no processor.
ByteWaitEnd WaitForByte(ByteWaitSteps& steps, std::chrono::milliseconds readTimeout,
                        std::uint8_t& byte);

// The pause after an early empty read.
inline constexpr std::chrono::milliseconds kEarlyEmptyReadPause{50};

}  // namespace tarvex::platform
