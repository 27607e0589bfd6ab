#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/serial/byte_wait.h"
#include "platform/serial/comm_state.h"
#include "platform/serial/serial_port.h"
#include "platform/win32.h"

namespace tarvex::platform {

struct Cancellation::Impl {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // manual-reset: stays set
};

Cancellation::Cancellation() : impl_(std::make_unique<Impl>()) {}

Cancellation::~Cancellation() {
    if (impl_->event != nullptr) CloseHandle(impl_->event);
}

void Cancellation::Cancel() { SetEvent(impl_->event); }

bool Cancellation::IsCancelled() const {
    return WaitForSingleObject(impl_->event, 0) == WAIT_OBJECT_0;
}

namespace {

// A waited read returns as soon as one byte has arrived, or after this long without one (and is
// then issued again).
constexpr DWORD kReadWaitMs = 60'000;
constexpr DWORD kDrainPollMs = 5;
// The image goes out in writes of this size: a write completes once the driver has taken its
// bytes, so a job that ends midway knows what the completed ones moved.
constexpr std::size_t kWritePiece = 4096;

// A COM port on the Win32 communications calls, opened for overlapped I/O.
//
// The wait for a received byte is an overlapped one-byte ReadFile with the "return as soon as a
// byte has arrived" time-outs, beside the cancellation's event; WaitCommEvent is not used, since
// Wine returns from it at once on a pseudo-terminal (its TIOCMGET fails there), and a
// synchronous read cannot be cancelled. The byte the wait takes is the first one ReadAvailable
// returns.
class SerialPort final : public SerialLink, private ByteWaitSteps {
  public:
    explicit SerialPort(std::shared_ptr<Cancellation> cancellation)
        : cancellation_(std::move(cancellation)),
          io_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~SerialPort() override {
        Close();
        if (io_ != nullptr) CloseHandle(io_);
    }
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    bool Open(const std::wstring& portName) override {
        if (port_ != INVALID_HANDLE_VALUE || cancellation_ == nullptr || io_ == nullptr) {
            return false;
        }
        if (portName.empty()) {
            lastError_ = ERROR_FILE_NOT_FOUND;
            return false;
        }
        // "COM10" and above open only in the device namespace; a name already in a namespace
        // is taken as it is.
        const std::wstring device =
            portName.starts_with(L"\\\\") ? portName : L"\\\\.\\" + portName;
        port_ = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
        if (port_ == INVALID_HANDLE_VALUE) return Fail();
        // A file or a pipe is no port. Some virtual-port drivers do not say "character", so
        // what decides is whether the device answers as a serial port does.
        DCB probe{};
        probe.DCBlength = sizeof probe;
        if (GetFileType(port_) != FILE_TYPE_CHAR && !GetCommState(port_, &probe)) {
            CloseHandle(std::exchange(port_, INVALID_HANDLE_VALUE));
            lastError_ = ERROR_FILE_NOT_FOUND;
            return false;
        }
        return true;
    }

    bool ReadSettings() override {
        dcb_ = DCB{};
        dcb_.DCBlength = sizeof dcb_;
        if (!GetCommState(port_, &dcb_)) return Fail();
        haveSettings_ = true;
        return true;
    }

    bool ApplySettings(const LinkProfile& line) override {
        if (!haveSettings_ || line.BaudRate == 0) {
            lastError_ = ERROR_INVALID_PARAMETER;
            return false;
        }
        // The queue sizes first: the flow-control limits the settings carry must fit them. A
        // driver that keeps its own sizes (SetupComm is advisory) is not a failure.
        SetupComm(port_, kPortQueueBytes, kPortQueueBytes);
        DCB dcb = ComStateFor(dcb_, line);
        if (!SetCommState(port_, &dcb)) return Fail();
        return true;
    }

    bool SetEventMask(std::uint32_t mask) override {
        if (!SetCommMask(port_, mask)) return Fail();
        return true;
    }

    bool ReadTimeouts() override {
        if (!GetCommTimeouts(port_, &timeouts_)) return Fail();
        return true;
    }

    // A read returns at once with what has arrived and waits only while nothing has (which
    // ReadAvailable never lets it do: it asks only for what the queue holds); writes have no
    // time-out.
    bool ApplyTimeouts() override {
        COMMTIMEOUTS timeouts = timeouts_;
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
        timeouts.ReadTotalTimeoutConstant = kReadWaitMs;
        timeouts.WriteTotalTimeoutMultiplier = 0;
        timeouts.WriteTotalTimeoutConstant = 0;
        if (!SetCommTimeouts(port_, &timeouts)) return Fail();
        return true;
    }

    bool WaitForEvent(std::uint32_t& events) override {
        events = 0;
        if (!held_) {
            switch (WaitForByte(*this, std::chrono::milliseconds(kReadWaitMs), heldByte_)) {
                case ByteWaitEnd::kByte:
                    held_ = true;
                    break;
                case ByteWaitEnd::kHungUp:
                    lastError_ = ERROR_BROKEN_PIPE;
                    return false;
                case ByteWaitEnd::kFailed:
                    return false;
            }
        }
        events = EV_RXCHAR;
        return true;
    }

    std::size_t ReadAvailable(std::uint8_t* buffer, std::size_t room) override {
        std::size_t taken = 0;
        if (held_ && room > 0) {
            buffer[taken++] = heldByte_;
            held_ = false;
        }
        DWORD errors = 0;
        COMSTAT status{};
        if (taken == room || !ClearCommError(port_, &errors, &status) || status.cbInQue == 0) {
            return taken;
        }
        DWORD count = 0;
        const auto want = static_cast<DWORD>(std::min<std::size_t>(room - taken, status.cbInQue));
        if (Transfer(false, buffer + taken, want, count)) taken += count;
        return taken;
    }

    // A write that fails or is cancelled midway still counts what it moved; one that completes
    // with nothing moved is a failed write (the time-outs are off, so only a broken driver
    // does that), never a reason to try for ever.
    bool Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) override {
        written = 0;
        while (written < count) {
            DWORD put = 0;
            const auto piece = static_cast<DWORD>(std::min(count - written, kWritePiece));
            const bool ok = Transfer(true, const_cast<std::uint8_t*>(bytes + written), piece, put);
            written += put;
            if (!ok) return false;
            if (put == 0) {
                lastError_ = ERROR_WRITE_FAULT;
                return false;
            }
        }
        return true;
    }

    // What Windows can tell: a completed write is in the driver's hands, not on the wire, and
    // the output queue (COMSTAT.cbOutQue) counts only the bytes of writes still pending, so
    // after completed writes this sees at most what a driver keeps queued of its own; the
    // UART's FIFO and a USB adapter's buffer are beyond what any call reports. Watching the
    // queue still holds "complete" back for a driver that completes writes early.
    // FlushFileBuffers would wait for the driver too, but cannot be cancelled and would hold
    // the close for ever under XOFF.
    bool Drain() override {
        for (;;) {
            DWORD errors = 0;
            COMSTAT status{};
            if (!ClearCommError(port_, &errors, &status)) return Fail();
            if (status.cbOutQue == 0) return true;
            if (WaitForSingleObject(cancellation_->System().event, kDrainPollMs) == WAIT_OBJECT_0) {
                lastError_ = ERROR_OPERATION_ABORTED;
                return false;
            }
        }
    }

    void Close() override {
        if (port_ == INVALID_HANDLE_VALUE) return;
        CancelIoEx(port_, nullptr);
        CloseHandle(std::exchange(port_, INVALID_HANDLE_VALUE));
        haveSettings_ = false;
        held_ = false;
    }

    std::uint32_t LastError() const override { return lastError_; }
    bool Cancelled() const override {
        return cancellation_ != nullptr && cancellation_->IsCancelled();
    }

  private:
    Read ReadOne(std::uint8_t& byte) override {
        DWORD count = 0;
        if (!Transfer(false, &byte, 1, count)) return Read::kFailed;
        return count == 1 ? Read::kByte : Read::kEmpty;
    }

    // ClearCommError fails once the device is gone: on Windows for a pulled adapter, under
    // Wine for a hung-up pseudo-terminal.
    bool PortAnswers() override {
        DWORD errors = 0;
        COMSTAT status{};
        return ClearCommError(port_, &errors, &status) != FALSE;
    }

    bool Pause(std::chrono::milliseconds pause) override {
        const auto ms = static_cast<DWORD>(pause.count());
        if (WaitForSingleObject(cancellation_->System().event, ms) != WAIT_OBJECT_0) return true;
        lastError_ = ERROR_OPERATION_ABORTED;
        return false;
    }

    bool Fail() {
        lastError_ = GetLastError();
        return false;
    }

    // One overlapped read or write, waited for beside the cancellation; false on failure or
    // cancellation, with `done` bytes moved.
    bool Transfer(bool write, std::uint8_t* bytes, DWORD count, DWORD& done) {
        done = 0;
        if (cancellation_->IsCancelled()) {
            lastError_ = ERROR_OPERATION_ABORTED;
            return false;
        }
        OVERLAPPED overlapped{};
        overlapped.hEvent = io_;
        ResetEvent(io_);
        const BOOL started = write ? WriteFile(port_, bytes, count, nullptr, &overlapped)
                                   : ReadFile(port_, bytes, count, nullptr, &overlapped);
        if (!started && GetLastError() != ERROR_IO_PENDING) return Fail();
        const HANDLE waits[2] = {io_, cancellation_->System().event};
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
            CancelIoEx(port_, &overlapped);
            GetOverlappedResult(port_, &overlapped, &done, TRUE);
            lastError_ = ERROR_OPERATION_ABORTED;
            return false;
        }
        if (!GetOverlappedResult(port_, &overlapped, &done, FALSE)) return Fail();
        return true;
    }

    std::shared_ptr<Cancellation> cancellation_;
    HANDLE io_;  // signalled when the port's overlapped operation ends
    HANDLE port_ = INVALID_HANDLE_VALUE;
    DCB dcb_{};
    bool haveSettings_ = false;
    COMMTIMEOUTS timeouts_{};
    bool held_ = false;  // the byte that ended the last wait, not yet read
    std::uint8_t heldByte_ = 0;
    std::uint32_t lastError_ = 0;
};

}  // namespace

std::unique_ptr<SerialLink> MakeSerialPort(std::shared_ptr<Cancellation> cancellation) {
    return std::make_unique<SerialPort>(std::move(cancellation));
}

}  // namespace tarvex::platform
