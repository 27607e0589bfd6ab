// The job log: what happened in each device job, appended to the user's "jobs.log" (see
// platform/files/user_log.h), for support when a job could not be completed: the time, the port,
// the firmware file with its size and SHA-256, each status line and message box, each chunk
// received and reply sent with its time, the bytes of the file sent, and how the job ended. The log
// watches a job through its host and link; it changes nothing of what they do.
#pragma once

#include <memory>
#include <string>

#include "platform/files/user_log.h"
#include "update/forwarding_job_host.h"

namespace tarvex::update {

inline constexpr char kJobLogName[] = "jobs.log";

class JobLogHost final : public ForwardingJobHost {
  public:
    // `jobName` says which job this is ("console reprogramming", "field update").
    JobLogHost(std::unique_ptr<JobHost> inner, const std::string& jobName);

    std::wstring SelectedPortName() override;
    std::optional<std::wstring> FirmwarePath() override;
    std::unique_ptr<SerialLink> MakeLink() override;
    void SetStatus(const std::wstring& text) override;
    void ShowMessage(const std::wstring& text) override;
    void FirmwareFileTaken(const std::wstring& path,
                           const std::vector<std::uint8_t>& image) override;
    void FirmwareFileRefused(const std::wstring& path, const std::string& why) override;
    void FileTransferBegins(std::size_t length) override;
    void EnableControlsAfterJob() override;

    // The most a job writes to the log: a device that talks without end (line noise while the
    // job waits) must not fill the disk. Past it the job's lines are counted, not written,
    // and the end line says how many were left out.
    static constexpr std::size_t kMostBytesPerJob = 256 * 1024;

    // A timestamped line of the log.
    void Write(const std::string& what, const std::string& detail);
    // A chunk received from the device.
    void Received(const std::uint8_t* bytes, std::size_t count);
    // A write to the port: the file's bytes (from where the job says a transfer begins, up to
    // the file's length) are counted and told in one line before the next event; anything else is a
    // reply and logged byte for byte. `failure` says how a failed write failed; empty when it did
    // not.
    void Sent(const std::uint8_t* bytes, std::size_t written, const std::string& failure);
    void TellSent();

  private:
    std::size_t fileLeft_ = 0;  // bytes of the file the transfer has still to send
    platform::UserLog log_;
    std::string tag_;  // "[process.job]", on each line
    std::string lastStatus_;
    std::size_t unsentCount_ = 0;  // bytes sent since the last line that said so
    std::size_t total_ = 0;
    std::size_t written_ = 0;          // bytes of this job's lines in the log
    std::size_t linesLeftOut_ = 0;     // past kMostBytesPerJob
    std::size_t receivedLeftOut_ = 0;  // bytes received in the lines left out
};

}  // namespace tarvex::update
