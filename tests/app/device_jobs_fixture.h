// The device jobs end to end: the main window watched as a job runs, and the devices played on real
// pseudo-terminals.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <fstream>
#include <mutex>
#include <random>
#include <thread>

#include "app/loader_dialog.h"
#include "app/resource.h"
#include "firmware_file.h"
#include "platform/serial/forwarding_serial_link.h"
#include "platform/serial/virtual_ports.h"
#include "platform/text.h"
#include "simulators.h"
#include "support/dialog_driver.h"
#include "support/recording_message_box.h"
#include "support/working_directory.h"
#include "update/forwarding_job_host.h"

using tarvex::app::kFirstPortCommand;
using tarvex::platform::ForwardingSerialLink;
using tarvex::platform::ReadSystemSerialPorts;
using tarvex::platform::SerialPortList;
using tarvex::platform::VirtualPortRegistration;
using tarvex::update::ForwardingJobHost;
using tarvex::update::JobHost;

namespace device_jobs_test {

using namespace std::chrono_literals;
using tarvex::platform::ControlWidget;

// What the tests see of a job: its status texts, progress positions and write sizes.
struct JobRecord {
    std::mutex mutex;
    std::vector<std::wstring> statuses;
    std::vector<std::int32_t> positions;
    std::vector<std::size_t> writes;
    std::atomic<int> ends{0};
    // Set by the test: how long the job lingers after giving the controls back.
    std::chrono::milliseconds gapAfterEnable{0};
    // Set by the test: runs on the worker just before the job waits for the port to drain.
    std::function<void()> beforeDrain;
    // Set by the test: runs on the worker as the job sets each status line, before the window.
    std::function<void(const std::wstring&)> onStatus;
    const CJobThread* worker = nullptr;
    // The job's StopThread calls, and those that found a thread to wait for; kept apart from
    // the dialog, because a cancelled job ends while the dialog goes.
    struct Stops {
        std::atomic<int> all{0};
        std::atomic<int> withThreadHeld{0};
    };
    std::shared_ptr<Stops> stops = std::make_shared<Stops>();

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

class RecordingLink : public ForwardingSerialLink {
  public:
    RecordingLink(std::unique_ptr<SerialLink> inner, JobRecord& record)
        : ForwardingSerialLink(std::move(inner)), record_(record) {}
    bool Write(const std::uint8_t* bytes, std::size_t count, std::size_t& written) override {
        record_.Add(record_.writes, count);
        return ForwardingSerialLink::Write(bytes, count, written);
    }
    bool Drain() override {
        if (record_.beforeDrain) record_.beforeDrain();
        return ForwardingSerialLink::Drain();
    }

  private:
    JobRecord& record_;
};

class RecordingHost : public ForwardingJobHost {
  public:
    RecordingHost(std::unique_ptr<JobHost> inner, JobRecord& record)
        : ForwardingJobHost(std::move(inner)), record_(record) {}
    std::unique_ptr<SerialLink> MakeLink() override {
        return std::make_unique<RecordingLink>(ForwardingJobHost::MakeLink(), record_);
    }
    void SetStatus(const std::wstring& text) override {
        record_.Add(record_.statuses, text);
        if (record_.onStatus) record_.onStatus(text);
        ForwardingJobHost::SetStatus(text);
    }
    void SetProgress(std::int32_t position) override {
        record_.Add(record_.positions, position);
        ForwardingJobHost::SetProgress(position);
    }
    void EnableControlsAfterJob() override {
        ForwardingJobHost::EnableControlsAfterJob();
        ++record_.ends;
        std::this_thread::sleep_for(record_.gapAfterEnable);
    }
    void StopWorker() override {
        ++record_.stops->all;
        if (record_.worker->ThreadHandle() != nullptr) ++record_.stops->withThreadHeld;
        ForwardingJobHost::StopWorker();
    }

  private:
    JobRecord& record_;
};

class WatchedDialog : public LoaderDialog {
  public:
    using LoaderDialog::m_bStepProgress;
    using LoaderDialog::m_progress;

    explicit WatchedDialog(SerialPortList ports)
        : LoaderDialog(nullptr, [ports] { return ports; }) {
        record.worker = this;
    }
    explicit WatchedDialog(PortTableReader readPorts) : LoaderDialog(nullptr, readPorts) {
        record.worker = this;
    }
    ~WatchedDialog() override { EndJobs(); }
    std::unique_ptr<JobHost> MakeJobHost(HANDLE jobEvent) override {
        return std::make_unique<RecordingHost>(LoaderDialog::MakeJobHost(jobEvent), record);
    }
    // Public: the test reads what the job did.
    JobRecord record;
};

class DeviceJobsTest : public testing::Test {
  protected:
    // Writes a firmware file into the temporary directory and returns its path.
    std::wstring WriteFile(const std::string& name, const tarvex::devsim::Bytes& bytes) {
        const auto path = dir.path() / name;
        tarvex::devsim::WriteFirmwareFile(path, bytes);
        return path.wstring();
    }

    // Chooses a custom setup type with `file` and presses Update.
    static void PressUpdate(WatchedDialog& dialog, int radioId, const std::wstring& file) {
        Click(dialog, radioId);
        qobject_cast<QLineEdit*>(ControlWidget(dialog, IDC_CUSTOM_FILE))
            ->setText(QString::fromStdWString(file));
        Click(dialog, IDC_UPDATE);
    }

    // Chooses a custom setup type with `file`, presses Update and waits for the job's end.
    void RunJob(WatchedDialog& dialog, int radioId, const std::wstring& file, int endsBefore = 0) {
        PressUpdate(dialog, radioId, file);
        ASSERT_TRUE(WaitUntil([&] { return dialog.record.ends > endsBefore; }, 30000));
        ASSERT_TRUE(WaitUntil([&] { return ControlWidget(dialog, IDC_UPDATE)->isEnabled(); }));
    }

    std::wstring Status(const CDialog& dialog) {
        return qobject_cast<QLabel*>(ControlWidget(dialog, IDC_STATUS))->text().toStdWString();
    }

    std::wstring Port() const { return tarvex::platform::WidenAnsi(line.PortPath()); }

    ScopedWorkingDirectory dir;  // the firmware files and the settings file go there
    tarvex::devsim::DeviceLine line;
};

// Plays a device on its own thread for the length of a test.
class Device {
  public:
    explicit Device(std::function<tarvex::devsim::Outcome()> play)
        : thread_([this, play] { outcome_ = play(); }) {}
    ~Device() { Join(); }
    tarvex::devsim::Outcome Join() {
        if (thread_.joinable()) thread_.join();
        return outcome_;
    }

  private:
    tarvex::devsim::Outcome outcome_;
    std::thread thread_;
};

}  // namespace device_jobs_test
