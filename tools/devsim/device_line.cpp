#include "device_line.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "test_images.h"

namespace tarvex::devsim {
namespace {

using Clock = std::chrono::steady_clock;

// The simulator keeps its own copy of the two speeds rather than using the program's: it is an
// independent check of what the program set on the line.
speed_t SpeedFor(std::uint32_t baudRate) {
    switch (baudRate) {
        case 19200:
            return B19200;
        case 115200:
            return B115200;
        default:
            return B9600;
    }
}

bool EndsWith(const Bytes& bytes, const std::string& tail) {
    return bytes.size() >= tail.size() &&
           std::equal(tail.begin(), tail.end(), bytes.end() - static_cast<long>(tail.size()));
}

const std::string kEndRecord = kIntelHexEndRecord;

// Whether `text` stands in `bytes` at or after `from`.
bool ContainsFrom(const Bytes& bytes, std::size_t from, const std::string& text) {
    const auto start = bytes.begin() + static_cast<long>(std::min(from, bytes.size()));
    return std::search(start, bytes.end(), text.begin(), text.end()) != bytes.end();
}

}  // namespace

DeviceLine::DeviceLine() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        if (master_ >= 0) close(master_);
        throw std::runtime_error("no pseudo-terminal available");
    }
    char path[128] = {};
    ptsname_r(master_, path, sizeof path);
    portPath_ = path;
    // The simulator's own open comes before the watch, so that only the others' are counted.
    slave_ = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (slave_ < 0 || watch_ < 0 ||
        inotify_add_watch(watch_, path, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        HangUp();
        throw std::runtime_error("cannot watch the pseudo-terminal");
    }
}

DeviceLine::~DeviceLine() { HangUp(); }

void DeviceLine::HangUp() {
    for (int* fd : {&master_, &slave_, &watch_}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

bool DeviceLine::OthersHoldThePort() {
    if (watch_ < 0) return false;
    alignas(inotify_event) char events[4096];
    bool closed = false;
    for (;;) {
        const ssize_t count = read(watch_, events, sizeof events);
        if (count <= 0) break;
        for (ssize_t at = 0; at < count;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if (event->mask & IN_OPEN) ++othersOpen_;
            if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
                othersOpen_ = std::max(0, othersOpen_ - 1);
                closed = true;
                if (othersOpen_ == 0) ++releases_;  // even if the next opens it in this batch
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    // The program has let go (closed the port, or was killed before it could clear it).
    if (closed && othersOpen_ == 0) ioctl(slave_, TIOCNXCL);
    return othersOpen_ > 0;
}

void DeviceLine::ForgetEarlierReleases() {
    OthersHoldThePort();
    releasesForgotten_ = releases_;
}

bool DeviceLine::WaitConfigured(std::uint32_t baudRate, bool xonXoff, Millis timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!stopped_ && master_ >= 0 && Clock::now() < deadline) {
        OthersHoldThePort();
        termios tio{};
        // The master reports the slave's settings: the program's own.
        if (tcgetattr(master_, &tio) == 0 && (tio.c_lflag & (ECHO | ICANON)) == 0 &&
            cfgetospeed(&tio) == SpeedFor(baudRate) && ((tio.c_iflag & IXON) != 0) == xonXoff &&
            (tio.c_iflag & IXANY) == 0) {
            return true;
        }
        std::this_thread::sleep_for(Millis(2));
    }
    return false;
}

bool DeviceLine::Send(const std::string& bytes, Millis gap) {
    const std::size_t step = gap.count() > 0 ? 1 : bytes.size();
    for (std::size_t at = 0; at < bytes.size(); at += step) {
        if (at > 0 && gap.count() > 0) std::this_thread::sleep_for(gap);
        std::size_t done = 0;
        const std::size_t piece = std::min(step, bytes.size() - at);
        while (done < piece) {
            if (stopped_ || master_ < 0) return false;
            const ssize_t count = write(master_, bytes.data() + at + done, piece - done);
            if (count > 0) {
                done += static_cast<std::size_t>(count);
            } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
                return false;
            } else {
                std::this_thread::sleep_for(Millis(1));
            }
        }
    }
    return true;
}

bool DeviceLine::ReadSome(Millis wait, std::size_t limit) {
    if (stopped_ || master_ < 0) return false;
    OthersHoldThePort();
    pollfd fds{master_, POLLIN, 0};
    const int ready = poll(&fds, 1, static_cast<int>(std::min<long>(wait.count(), 20)));
    if (ready <= 0) return !stopped_;
    if ((fds.revents & POLLIN) == 0) {
        // The program has not opened the port yet, or has closed it: nothing to read.
        std::this_thread::sleep_for(Millis(2));
        return !stopped_;
    }
    std::uint8_t chunk[4096];
    const ssize_t count = read(master_, chunk, std::min(limit, sizeof chunk));
    if (count > 0) received_.insert(received_.end(), chunk, chunk + count);
    return !stopped_;
}

Bytes DeviceLine::Drain(std::size_t limit) {
    Bytes waiting;
    std::uint8_t chunk[4096];
    ssize_t count = 0;
    while (master_ >= 0 && waiting.size() < limit &&
           (count = read(master_, chunk, std::min(sizeof chunk, limit - waiting.size()))) > 0) {
        waiting.insert(waiting.end(), chunk, chunk + count);
    }
    return waiting;
}

bool DeviceLine::Expect(const std::string& expected, Millis timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!EndsWith(received_, expected)) {
        if (Clock::now() >= deadline || !ReadSome(Millis(20), expected.size())) return false;
    }
    return true;
}

std::size_t LinePace::Allowed(std::size_t taken) const {
    if (bytesPerSecond_ <= 0) return SIZE_MAX;
    const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    const auto carried = static_cast<std::size_t>(elapsed * bytesPerSecond_);
    return carried > taken ? carried - taken : 0;
}

bool DeviceLine::ReceiveCount(std::size_t count, Millis timeout, double bytesPerSecond) {
    const LinePace pace(bytesPerSecond);
    const auto deadline = Clock::now() + timeout;
    const std::size_t target = received_.size() + count;
    const std::size_t already = received_.size();
    while (received_.size() < target) {
        if (Clock::now() >= deadline) return false;
        const std::size_t allowed = pace.Allowed(received_.size() - already);
        if (allowed == 0) {
            std::this_thread::sleep_for(Millis(1));
            continue;
        }
        if (!ReadSome(Millis(20), std::min(target - received_.size(), allowed))) return false;
    }
    return true;
}

bool DeviceLine::ReceiveImage(Millis idleGap, Millis timeout, double bytesPerSecond) {
    const LinePace pace(bytesPerSecond);
    const auto deadline = Clock::now() + timeout;
    const std::size_t already = received_.size();
    auto lastByte = Clock::now();
    bool ended = false;
    std::size_t searched = already;  // the end record is looked for in new bytes only
    for (;;) {
        const auto now = Clock::now();
        const std::size_t imageSize = received_.size() - already;
        if (!ended && ContainsFrom(received_, searched, kEndRecord)) ended = true;
        searched =
            std::max(already, received_.size() - std::min(received_.size(), kEndRecord.size() - 1));
        if (imageSize > 0 && now - lastByte >= (ended ? Millis(50) : idleGap)) return true;
        if (now >= deadline) return false;
        const std::size_t allowed = pace.Allowed(imageSize);
        if (allowed == 0) {
            std::this_thread::sleep_for(Millis(1));
            continue;
        }
        const std::size_t before = received_.size();
        if (!ReadSome(Millis(20), std::min<std::size_t>(4096, allowed))) return imageSize > 0;
        if (received_.size() != before) lastByte = Clock::now();
    }
}

bool DeviceLine::WaitWatching(Millis timeout, const std::function<bool()>& done) {
    const auto deadline = Clock::now() + timeout;
    while (!stopped_ && master_ >= 0 && Clock::now() < deadline) {
        if (done()) return true;
        pollfd fds{watch_, POLLIN, 0};
        poll(&fds, 1, 10);
    }
    return false;
}

bool DeviceLine::WaitProgramClosed(Millis timeout) {
    return WaitWatching(timeout, [this] {
        OthersHoldThePort();
        return releases_ > releasesForgotten_;
    });
}

bool DeviceLine::WaitProgramOpened(Millis timeout) {
    return WaitWatching(timeout, [this] { return OthersHoldThePort(); });
}

bool DeviceLine::Pause(Millis time) {
    const auto until = Clock::now() + time;
    while (!stopped_ && Clock::now() < until) std::this_thread::sleep_for(Millis(5));
    return !stopped_;
}

std::string Difference(const Bytes& received, const Bytes& expected) {
    const auto [got, want] =
        std::mismatch(received.begin(), received.end(), expected.begin(), expected.end());
    if (got == received.end() && want == expected.end()) return {};
    const std::size_t at = static_cast<std::size_t>(got - received.begin());
    char text[160];
    if (got == received.end()) {
        std::snprintf(text, sizeof text, "%zu of %zu bytes received: cut off at byte %zu",
                      received.size(), expected.size(), at);
    } else if (want == expected.end()) {
        std::snprintf(text, sizeof text, "%zu bytes received, %zu more than expected",
                      received.size(), received.size() - expected.size());
    } else {
        std::snprintf(text, sizeof text,
                      "byte %zu is 0x%02X, expected 0x%02X (%zu bytes received of %zu)", at,
                      static_cast<unsigned>(*got), static_cast<unsigned>(*want), received.size(),
                      expected.size());
    }
    return text;
}

}  // namespace tarvex::devsim
