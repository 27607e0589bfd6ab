// The device jobs' hosts for tests and benchmarks: one that records what a job showed and sent,
// passing every call on to the host it watches (the main window's, or one without a window),
// and one without a window, which takes its port and file as given and shows nothing.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/serial/forwarding_serial_link.h"
#include "platform/serial/link_errors.h"
#include "platform/serial/serial_port.h"
#include "update/forwarding_job_host.h"

// What a job showed and what its link carried. Guarded: a job runs on its own thread while the
// test reads.
struct JobRecord {
    std::mutex mutex;
    std::vector<std::wstring> statuses;
    std::vector<std::int32_t> positions;
    std::vector<std::wstring> messages;
    std::vector<std::size_t> writes;  // each write's size, as the job asked
    std::size_t written = 0;          // what the writes moved
    std::string linkFailure;          // how the first failed write failed, in the log's words
    std::string refusal;              // why the firmware file was not taken
    std::int32_t signLength = 0;
    bool filled = false;
    std::atomic<int> ends{0};

    // Set by the test: how long the job lingers after giving the controls back.
    std::chrono::milliseconds gapAfterEnable{0};
    // Set by the test: runs on the job's thread just before it waits for the port to drain.
    std::function<void()> beforeDrain;
    // Set by the test: runs on the job's thread as it sets each status line, before the host.
    std::function<void(const std::wstring&)> onStatus;

    template <typename T>
    void Add(std::vector<T>& list, T value) {
        std::lock_guard guard(mutex);
        list.push_back(std::move(value));
    }
    template <typename T>
    std::vector<T> Copy(const std::vector<T>& list) {
        std::lock_guard guard(mutex);
        return list;
    }
};

class RecordingLink final : public tarvex::platform::ForwardingSerialLink {
  public:
    RecordingLink(std::unique_ptr<SerialLink> inner, JobRecord& record)
        : ForwardingSerialLink(std::move(inner)), record_(record) {}

    bool Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) override {
        record_.Add(record_.writes, count);
        const bool ok = ForwardingSerialLink::Write(bytes, count, written);
        std::lock_guard guard(record_.mutex);
        record_.written += written;
        if (!ok && record_.linkFailure.empty()) {
            record_.linkFailure =
                Cancelled() ? "cancelled"
                            : tarvex::platform::DescribeLinkError(
                                  L"", LastError(), tarvex::platform::LinkStep::kTransferring);
        }
        return ok;
    }
    bool Drain() override {
        if (record_.beforeDrain) record_.beforeDrain();
        return ForwardingSerialLink::Drain();
    }

  private:
    JobRecord& record_;
};

class RecordingJobHost : public tarvex::update::ForwardingJobHost {
  public:
    RecordingJobHost(std::unique_ptr<JobHost> inner, JobRecord& record)
        : ForwardingJobHost(std::move(inner)), record_(record) {}

    std::unique_ptr<SerialLink> MakeLink() override {
        return std::make_unique<RecordingLink>(ForwardingJobHost::MakeLink(), record_);
    }
    void SetStatus(const std::wstring& text) override {
        record_.Add(record_.statuses, text);
        if (record_.onStatus) record_.onStatus(text);
        ForwardingJobHost::SetStatus(text);
    }
    void BeginSignProgress(std::int32_t length) override {
        {
            std::lock_guard guard(record_.mutex);
            record_.signLength = length;
        }
        ForwardingJobHost::BeginSignProgress(length);
    }
    void SetProgress(std::int32_t position) override {
        record_.Add(record_.positions, position);
        ForwardingJobHost::SetProgress(position);
    }
    void FillProgress() override {
        {
            std::lock_guard guard(record_.mutex);
            record_.filled = true;
        }
        ForwardingJobHost::FillProgress();
    }
    void ShowMessage(const std::wstring& text) override {
        record_.Add(record_.messages, text);
        ForwardingJobHost::ShowMessage(text);
    }
    void FirmwareFileRefused(const std::wstring& path, const std::string& why) override {
        {
            std::lock_guard guard(record_.mutex);
            record_.refusal = why;
        }
        ForwardingJobHost::FirmwareFileRefused(path, why);
    }
    void EnableControlsAfterJob() override {
        ForwardingJobHost::EnableControlsAfterJob();
        ++record_.ends;
        std::this_thread::sleep_for(record_.gapAfterEnable);
    }

  private:
    JobRecord& record_;
};

// A host without a window: the port and the file are the ones given, the link is the system's
// serial port (ended by the cancellation given), and nothing is shown.
class WindowlessJobHost final : public tarvex::update::JobHost {
  public:
    WindowlessJobHost(std::wstring port, std::wstring firmware,
                      std::shared_ptr<tarvex::platform::Cancellation> cancellation)
        : port_(std::move(port)),
          firmware_(std::move(firmware)),
          cancellation_(std::move(cancellation)) {}

    std::wstring SelectedPortName() override { return port_; }
    std::optional<std::wstring> FirmwarePath() override { return firmware_; }
    std::unique_ptr<SerialLink> MakeLink() override {
        return tarvex::platform::MakeSerialPort(cancellation_);
    }
    void SetStatus(const std::wstring&) override {}
    void SetStepProgress(bool) override {}
    void BeginConsoleProgress(std::int32_t) override {}
    void BeginSignProgress(std::int32_t) override {}
    void SetProgress(std::int32_t) override {}
    void FillProgress() override {}
    void ShowMessage(const std::wstring&) override {}
    void EnableControlsAfterJob() override {}
    void ResetJobEvent() override {}
    void StopWorker() override {}

  private:
    std::wstring port_;
    std::wstring firmware_;
    std::shared_ptr<tarvex::platform::Cancellation> cancellation_;
};
