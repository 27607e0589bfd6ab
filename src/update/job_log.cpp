#include "update/job_log.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

#include "platform/serial/forwarding_serial_link.h"
#include "platform/serial/link_errors.h"
#include "platform/text.h"
#include "platform/win32.h"
#include "update/sha256.h"

namespace tarvex::update {

namespace {

// Bytes as a quoted text, non-printable ones as \xNN.
std::string Quoted(const std::uint8_t* bytes, std::size_t count) {
    std::string text = "\"";
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned byte = bytes[i];
        if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
            text.push_back(static_cast<char>(byte));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        }
    }
    return text + "\"";
}

// Text the log names (paths, ports, status lines) on one line of its own, saying what it held.
std::string Narrow(const std::wstring& text) { return tarvex::platform::ToLogText(text); }

// The link as the log sees it.
class JobLogLink final : public platform::ForwardingSerialLink {
  public:
    JobLogLink(std::unique_ptr<SerialLink> inner, JobLogHost& log)
        : platform::ForwardingSerialLink(std::move(inner)), log_(log) {}

    bool Open(const std::wstring& portName) override {
        port_ = portName;
        const bool ok = platform::ForwardingSerialLink::Open(portName);
        log_.Write("open", ok ? "ok" : Failure("failed", platform::LinkStep::kOpening));
        return ok;
    }
    bool WaitForEvent(std::uint32_t& events) override {
        const bool ok = platform::ForwardingSerialLink::WaitForEvent(events);
        if (!ok) {
            log_.TellSent();
            log_.Write("line", Failure("the wait ended"));
        }
        return ok;
    }
    std::size_t ReadAvailable(std::uint8_t* buffer, std::size_t room) override {
        const std::size_t count = platform::ForwardingSerialLink::ReadAvailable(buffer, room);
        if (count > 0) log_.Received(buffer, count);
        return count;
    }
    bool Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) override {
        const bool ok = platform::ForwardingSerialLink::Write(bytes, count, written);
        log_.Sent(bytes, written, ok ? std::string() : Failure("failed"));
        return ok;
    }
    bool Drain() override {
        const bool ok = platform::ForwardingSerialLink::Drain();
        if (!ok) {
            log_.TellSent();
            log_.Write("drain", Failure("failed"));
        }
        return ok;
    }
    void Close() override {
        log_.TellSent();
        platform::ForwardingSerialLink::Close();
    }

  private:
    // The last failure, in words: "<what>, error N (<meaning>)", or how the window's closing
    // ended the job.
    std::string Failure(const std::string& what,
                        platform::LinkStep step = platform::LinkStep::kTransferring) const {
        if (Cancelled()) return "ended by closing the window";
        const std::uint32_t error = LastError();
        return what + ", error " + std::to_string(error) + " (" +
               platform::DescribeLinkError(port_, error, step) + ")";
    }

    JobLogHost& log_;
    std::wstring port_;
};

}  // namespace

// Several copies of the program may log jobs at once: each line names its job as the process
// and the job's number within it.
std::string JobTag() {
    static std::atomic<unsigned> jobs{0};
    return "[" + std::to_string(GetCurrentProcessId()) + "." + std::to_string(++jobs) + "]";
}

JobLogHost::JobLogHost(std::unique_ptr<JobHost> inner, const std::string& jobName)
    : ForwardingJobHost(std::move(inner)), log_(kJobLogName), tag_(JobTag()) {
    log_.Append("");
    Write("job", jobName);
}

void JobLogHost::Write(const std::string& what, const std::string& detail) {
    const std::string line = platform::LogTimestamp() + " " + tag_ + " " + what + ": " + detail;
    if (written_ + line.size() > kMostBytesPerJob) {
        ++linesLeftOut_;
        return;
    }
    written_ += line.size() + 1;
    log_.Append(line);
}

void JobLogHost::Received(const std::uint8_t* bytes, std::size_t count) {
    TellSent();
    const std::size_t before = linesLeftOut_;
    Write("received", Quoted(bytes, count));
    if (linesLeftOut_ != before) receivedLeftOut_ += count;
}

void JobLogHost::Sent(const std::uint8_t* bytes, std::size_t written, const std::string& failure) {
    const bool ok = failure.empty();
    const std::size_t ofFile = std::min(written, fileLeft_);
    fileLeft_ -= ofFile;
    unsentCount_ += ofFile;
    total_ += ofFile;
    if (written > ofFile || (ofFile == 0 && ok)) {
        TellSent();
        Write("sent", Quoted(bytes + ofFile, written - ofFile));
    }
    if (!ok) {
        TellSent();
        Write("write", failure);
    }
}

void JobLogHost::FileTransferBegins(std::size_t length) {
    TellSent();
    fileLeft_ = length;
    ForwardingJobHost::FileTransferBegins(length);
}

void JobLogHost::TellSent() {
    if (unsentCount_ == 0) return;
    Write("sent", std::to_string(unsentCount_) + " bytes of the file");
    unsentCount_ = 0;
}

std::wstring JobLogHost::SelectedPortName() {
    std::wstring port = ForwardingJobHost::SelectedPortName();
    Write("port", port.empty() ? "none checked" : Narrow(port));
    return port;
}

std::optional<std::wstring> JobLogHost::FirmwarePath() {
    std::optional<std::wstring> path = ForwardingJobHost::FirmwarePath();
    if (!path) Write("file", "none");  // otherwise the job tells what it took of the file
    return path;
}

void JobLogHost::FirmwareFileTaken(const std::wstring& path,
                                   const std::vector<std::uint8_t>& image) {
    Write("file", Narrow(path) + " (" + std::to_string(image.size()) + " bytes, sha256 " +
                      Sha256Hex(image) + ")");
    ForwardingJobHost::FirmwareFileTaken(path, image);
}

void JobLogHost::FirmwareFileRefused(const std::wstring& path, const std::string& why) {
    Write("file", Narrow(path) + " (" + why + ")");
    ForwardingJobHost::FirmwareFileRefused(path, why);
}

std::unique_ptr<SerialLink> JobLogHost::MakeLink() {
    return std::make_unique<JobLogLink>(ForwardingJobHost::MakeLink(), *this);
}

void JobLogHost::SetStatus(const std::wstring& text) {
    TellSent();
    lastStatus_ = Narrow(text);
    Write("status", lastStatus_);
    ForwardingJobHost::SetStatus(text);
}

void JobLogHost::ShowMessage(const std::wstring& text) {
    TellSent();
    Write("message", Narrow(text));
    ForwardingJobHost::ShowMessage(text);
}

void JobLogHost::EnableControlsAfterJob() {
    TellSent();
    std::string end = lastStatus_ + " (" + std::to_string(total_) + " bytes of the file sent";
    if (linesLeftOut_ > 0) {
        end += "; " + std::to_string(linesLeftOut_) + " lines left out of the log, with " +
               std::to_string(receivedLeftOut_) + " bytes received";
    }
    // The end line is written whatever the job has written before.
    log_.Append(platform::LogTimestamp() + " " + tag_ + " end: " + end + ")");
    ForwardingJobHost::EnableControlsAfterJob();
}

}  // namespace tarvex::update
