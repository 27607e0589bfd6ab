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
#include <random>
#include <thread>

#include "app/loader_dialog.h"
#include "app/resource.h"
#include "firmware_file.h"
#include "platform/serial/virtual_ports.h"
#include "platform/text.h"
#include "simulators.h"
#include "support/dialog_driver.h"
#include "support/recording_job_host.h"
#include "support/recording_message_box.h"
#include "support/working_directory.h"

using tarvex::app::kFirstPortCommand;
using tarvex::platform::ReadSystemSerialPorts;
using tarvex::platform::SerialPortList;
using tarvex::platform::VirtualPortRegistration;
using tarvex::update::JobHost;

namespace device_jobs_test {

using namespace std::chrono_literals;
using tarvex::platform::ControlWidget;

// The job's StopThread calls, and those that found a thread to wait for; kept apart from the
// dialog, because a cancelled job ends while the dialog goes.
struct WorkerStops {
    std::atomic<int> all{0};
    std::atomic<int> withThreadHeld{0};
};

// The main window's own host, recorded, and its calls to let the worker go counted.
class WatchedJobHost final : public RecordingJobHost {
  public:
    WatchedJobHost(std::unique_ptr<JobHost> inner, JobRecord& record, const CJobThread& worker,
                   std::shared_ptr<WorkerStops> stops)
        : RecordingJobHost(std::move(inner), record), worker_(worker), stops_(std::move(stops)) {}
    void StopWorker() override {
        ++stops_->all;
        if (worker_.ThreadHandle() != nullptr) ++stops_->withThreadHeld;
        RecordingJobHost::StopWorker();
    }

  private:
    const CJobThread& worker_;
    std::shared_ptr<WorkerStops> stops_;
};

class WatchedDialog : public LoaderDialog {
  public:
    using LoaderDialog::m_bStepProgress;
    using LoaderDialog::m_progress;

    explicit WatchedDialog(SerialPortList ports)
        : LoaderDialog(nullptr, [ports] { return ports; }) {}
    explicit WatchedDialog(PortTableReader readPorts) : LoaderDialog(nullptr, readPorts) {}
    ~WatchedDialog() override { EndJobs(); }
    std::unique_ptr<JobHost> MakeJobHost(HANDLE jobEvent) override {
        return std::make_unique<WatchedJobHost>(LoaderDialog::MakeJobHost(jobEvent), record, *this,
                                                stops);
    }
    // Public: the test reads what the job did.
    JobRecord record;
    std::shared_ptr<WorkerStops> stops = std::make_shared<WorkerStops>();
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
