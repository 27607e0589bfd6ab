#include "platform/serial/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/text.h"

namespace tarvex::platform {
namespace {

speed_t SpeedFor(std::uint32_t baudRate) {
    switch (baudRate) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        default:
            return B0;
    }
}

tcflag_t SizeFlag(std::uint8_t byteSize) {
    switch (byteSize) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        default:
            return CS8;
    }
}

// poll() that goes on after signals; the result is 0 on cancellation.
int PollPortOrCancel(int fd, short events, int cancelFd, short& revents) {
    pollfd fds[2] = {{fd, events, 0}, {cancelFd, POLLIN, 0}};
    for (;;) {
        const int ready = poll(fds, 2, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return -1;
        if (fds[1].revents != 0) return 0;
        revents = fds[0].revents;
        return ready;
    }
}

}  // namespace

struct Cancellation::Impl {
    int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);  // readable once cancelled
};

Cancellation::Cancellation() : impl_(std::make_unique<Impl>()) {}

Cancellation::~Cancellation() {
    if (impl_->fd >= 0) close(impl_->fd);
}

void Cancellation::Cancel() {
    const std::uint64_t one = 1;
    (void)!write(impl_->fd, &one, sizeof one);
}

bool Cancellation::IsCancelled() const {
    pollfd fds{impl_->fd, POLLIN, 0};
    return poll(&fds, 1, 0) > 0;
}

namespace {

// A serial port on termios. A wait sleeps in poll() on the port and the cancellation's eventfd.
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
    bool Cancelled() const override {
        return cancellation_ != nullptr && cancellation_->IsCancelled();
    }

  private:
    bool Fail();
    // Sleeps until the port is ready for `events` (or reports a hang-up in `revents`); false on
    // cancellation or a failed poll.
    bool Await(short events, short& revents);

    std::shared_ptr<Cancellation> cancellation_;
    int fd_ = -1;
    std::unique_ptr<termios> settings_;  // read by ReadSettings
    std::uint32_t eventMask_ = 0;
    std::uint32_t lastError_ = 0;
};

SerialPort::SerialPort(std::shared_ptr<Cancellation> cancellation)
    : cancellation_(std::move(cancellation)) {}

SerialPort::~SerialPort() { Close(); }

bool SerialPort::Fail() {
    lastError_ = static_cast<std::uint32_t>(errno);
    return false;
}

bool SerialPort::Open(const std::wstring& path) {
    if (fd_ >= 0 || cancellation_ == nullptr || cancellation_->System().fd < 0) return false;
    if (path.empty()) {
        lastError_ = ENOENT;
        return false;
    }
    const int fd = open(ToSystemName(path).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail();
    // flock keeps out programs that cooperate, TIOCEXCL the rest (but root); both must hold.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        lastError_ = static_cast<std::uint32_t>(errno);
        close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

bool SerialPort::ReadSettings() {
    auto settings = std::make_unique<termios>();
    if (tcgetattr(fd_, settings.get()) != 0) return Fail();
    settings_ = std::move(settings);
    return true;
}

bool SerialPort::ApplySettings(const LinkProfile& line) {
    if (!settings_) {
        lastError_ = EINVAL;
        return false;
    }
    const speed_t speed = SpeedFor(line.BaudRate);
    if (speed == B0) {
        lastError_ = EINVAL;
        return false;
    }
    termios tio = *settings_;
    // Binary transparency is raw mode as cfmakeraw defines it: no echo, no line editing, no
    // character mapping, no signals, and no XON/XOFF on transmit. A Linux tty starts with IXON
    // on (a Windows port with it off): left on, one 0x13 from the console would stop the image
    // for ever and the flow-control bytes would never reach the marker matching.
    cfmakeraw(&tio);
    tio.c_iflag &= ~IUCLC;
    // No handshake of the port's own either (cfmakeraw leaves both): a three-wire cable leaves
    // CTS low, so a port left with CRTSCTS by another program would hold every write for ever,
    // and IXOFF would send the device flow-control bytes it takes for data.
    tio.c_cflag &= ~CRTSCTS;
    tio.c_iflag &= ~IXOFF;
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    // Exactly the job's fields.
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    tio.c_cflag = (tio.c_cflag & ~CSIZE) | SizeFlag(line.ByteSize);
    if (line.Parity == 0) {
        tio.c_cflag &= ~PARENB;
    } else {
        tio.c_cflag |= PARENB;
        if (line.Parity == 1) {
            tio.c_cflag |= PARODD;
        } else {
            tio.c_cflag &= ~PARODD;
        }
    }
    if (line.StopBits == 2) {
        tio.c_cflag |= CSTOPB;
    } else {
        tio.c_cflag &= ~CSTOPB;
    }
    if (line.fParity) {
        tio.c_iflag |= INPCK;
    } else {
        tio.c_iflag &= ~INPCK;
    }
    if (line.fOutX.value_or(false)) {
        // Without IXANY only XON restarts output; with it any received byte would.
        tio.c_iflag = (tio.c_iflag | IXON) & ~IXANY;
        tio.c_cc[VSTART] = static_cast<cc_t>(line.XonChar.value_or('\x11'));
        tio.c_cc[VSTOP] = static_cast<cc_t>(line.XoffChar.value_or('\x13'));
    }
    if (tcsetattr(fd_, TCSANOW, &tio) != 0) return Fail();
    return true;
}

bool SerialPort::SetEventMask(std::uint32_t mask) {
    if (fd_ < 0) return false;
    eventMask_ = mask;
    return true;
}

// The descriptor is non-blocking and VMIN = VTIME = 0: a read takes what is there and returns,
// and every write waits in poll() until the port takes the bytes. Nothing more to set.
bool SerialPort::ReadTimeouts() { return fd_ >= 0; }
bool SerialPort::ApplyTimeouts() { return fd_ >= 0; }

bool SerialPort::Await(short events, short& revents) {
    const int ready = PollPortOrCancel(fd_, events, cancellation_->System().fd, revents);
    if (ready < 0) return Fail();
    if (ready == 0) {
        lastError_ = ECANCELED;
        return false;
    }
    return true;
}

bool SerialPort::WaitForEvent(std::uint32_t& events) {
    events = 0;
    if (fd_ < 0 || (eventMask_ & EV_RXCHAR) == 0) {
        lastError_ = EINVAL;
        return false;
    }
    short revents = 0;
    if (!Await(POLLIN, revents)) return false;
    if (revents & (POLLHUP | POLLERR | POLLNVAL)) {
        // A hang-up may still leave bytes to read; once they are taken the wait fails.
        int pending = 0;
        if (ioctl(fd_, FIONREAD, &pending) != 0 || pending <= 0) {
            lastError_ = EIO;
            return false;
        }
    }
    events = EV_RXCHAR;
    return true;
}

std::size_t SerialPort::ReadAvailable(std::uint8_t* buffer, std::size_t room) {
    for (;;) {
        const ssize_t count = read(fd_, buffer, room);
        if (count >= 0) return static_cast<std::size_t>(count);
        if (errno == EINTR) continue;
        if (errno != EAGAIN) lastError_ = static_cast<std::uint32_t>(errno);
        return 0;
    }
}

bool SerialPort::Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) {
    written = 0;
    if (fd_ < 0) {
        lastError_ = EBADF;
        return false;
    }
    while (written < count) {
        const ssize_t sent = write(fd_, bytes + written, count - written);
        if (sent > 0) {
            written += static_cast<std::size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && errno != EAGAIN) return Fail();
        short revents = 0;
        if (!Await(POLLOUT, revents)) return false;
        if (revents & (POLLHUP | POLLERR | POLLNVAL)) {
            lastError_ = EIO;
            return false;
        }
    }
    return true;
}

bool SerialPort::Drain() {
    if (fd_ < 0) {
        lastError_ = EBADF;
        return false;
    }
    // tcdrain() cannot be cancelled: the queue is watched instead, with the same hang-up and
    // cancellation checks as every other wait of the port.
    constexpr int kQueuePollMs = 5;
    for (;;) {
        int queued = 0;
        if (ioctl(fd_, TIOCOUTQ, &queued) != 0) return Fail();
        pollfd fds[2] = {{fd_, 0, 0}, {cancellation_->System().fd, POLLIN, 0}};
        const int ready = poll(fds, 2, queued > 0 ? kQueuePollMs : 0);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return Fail();
        if (fds[1].revents != 0) {
            lastError_ = ECANCELED;
            return false;
        }
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            lastError_ = EIO;
            return false;
        }
        if (queued <= 0) return true;
    }
}

void SerialPort::Close() {
    if (fd_ >= 0) {
        // The exclusive mode belongs to the tty, not to this descriptor: a pseudo-terminal, or a
        // port another process also holds, keeps it after the close and refuses the next
        // ordinary user.
        ioctl(fd_, TIOCNXCL);
        close(fd_);  // also lets go of the flock
    }
    fd_ = -1;
    settings_.reset();
}

}  // namespace

std::unique_ptr<SerialLink> MakeSerialPort(std::shared_ptr<Cancellation> cancellation) {
    return std::make_unique<SerialPort>(std::move(cancellation));
}

}  // namespace tarvex::platform
