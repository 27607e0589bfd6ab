// The device's end of a serial line: a pseudo-terminal whose slave is the port the program opens
// (its path goes into the Communications menu) and whose master this simulator speaks through.
//
// Every wait here ends by itself: at its time-out, when the line is hung up, or when Stop() is
// called from another thread.
//
// The simulator holds the port open itself as well, as a powered device keeps its line: a real
// port clears its exclusive mode on its last close, and this one must be cleared by hand when
// the program's side closes, even when the program was killed. It watches the port's opens and
// closes for that.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarvex::devsim {

using Bytes = std::vector<std::uint8_t>;
using Millis = std::chrono::milliseconds;

// A line's own pace: how many bytes it has carried since it was made, at `bytesPerSecond`
// (10 bits a byte on a real line); no limit at 0.
class LinePace {
  public:
    explicit LinePace(double bytesPerSecond)
        : bytesPerSecond_(bytesPerSecond), start_(std::chrono::steady_clock::now()) {}
    // How many bytes may be taken now, when `taken` have been: SIZE_MAX without a pace.
    std::size_t Allowed(std::size_t taken) const;

  private:
    double bytesPerSecond_;
    std::chrono::steady_clock::time_point start_;
};

class DeviceLine {
  public:
    // Opens a new pseudo-terminal pair; throws std::runtime_error when the system has none left.
    DeviceLine();
    ~DeviceLine();
    DeviceLine(const DeviceLine&) = delete;
    DeviceLine& operator=(const DeviceLine&) = delete;

    // The port the program opens.
    const std::string& PortPath() const { return portPath_; }

    // Waits until the program has opened the port and set it up: raw mode at `baudRate`, and
    // XON/XOFF on transmit exactly if `xonXoff` (never with IXANY).
    bool WaitConfigured(std::uint32_t baudRate, bool xonXoff, Millis timeout);

    // Sends bytes to the program. `gap` splits them into single-byte writes that far apart.
    bool Send(const std::string& bytes, Millis gap = Millis(0));

    // Reads until the bytes received so far end with `expected`.
    bool Expect(const std::string& expected, Millis timeout);

    // Reads until `count` bytes have come, pacing the reads at `bytesPerSecond` when it is not 0
    // (10 bits a byte on a real line) so that the sender meets the line's own speed.
    bool ReceiveCount(std::size_t count, Millis timeout, double bytesPerSecond = 0);

    // Reads until nothing has come for `idle` after an Intel HEX end record, or after `idleGap`
    // without one.
    bool ReceiveImage(Millis idleGap, Millis timeout, double bytesPerSecond = 0);

    // Takes what the program has sent that no read has taken yet (up to `limit` bytes), without
    // waiting for more.
    Bytes Drain(std::size_t limit = SIZE_MAX);

    // Everything received from the program, in order.
    const Bytes& Received() const { return received_; }
    void ClearReceived() { received_.clear(); }

    // A new job: forgets that programs let go of the port before now.
    void ForgetEarlierReleases();
    // Waits until a program has let go of the port since then. The next program may have opened
    // it meanwhile: a device reading at the line's speed is still taking in what the port held
    // when the program closes, and the next job can start before it is through.
    bool WaitProgramClosed(Millis timeout);
    // Waits until another program holds the port.
    bool WaitProgramOpened(Millis timeout);
    // Sleeps for `time` unless stopped first; false when stopped.
    bool Pause(Millis time);

    // Drops the line, as an unplugged adapter or a switched-off device does.
    void HangUp();
    // Ends every wait now and later; callable from any thread.
    void Stop() { stopped_ = true; }
    bool Stopped() const { return stopped_; }

  private:
    // Takes what has arrived within `wait`: false on hang-up or stop.
    bool ReadSome(Millis wait, std::size_t limit);
    // Waits until `done` holds, watching the port's opens and closes meanwhile.
    bool WaitWatching(Millis timeout, const std::function<bool()>& done);
    // Counts the opens and closes of the port by others since the last call, and each time the
    // last of them let go; once none holds it, its exclusive mode is cleared. Returns whether
    // another program has the port open.
    bool OthersHoldThePort();

    int master_ = -1;
    int slave_ = -1;  // the simulator's own hold on the port
    int watch_ = -1;  // inotify: the port's opens and closes
    int othersOpen_ = 0;
    int releases_ = 0;  // how often the last of the others let go of the port
    int releasesForgotten_ = 0;
    std::string portPath_;
    Bytes received_;
    std::atomic<bool> stopped_{false};
};

// What differs between what was received and what was expected, for people; empty when they
// are the same.
std::string Difference(const Bytes& received, const Bytes& expected);

}  // namespace tarvex::devsim
