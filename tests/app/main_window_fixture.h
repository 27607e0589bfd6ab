// The main window with stand-in jobs, and what its tests read of it through the class library,
// the same on every window system.
#pragma once

#include "app/loader_dialog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <optional>

#include "app/loader_app.h"
#include "app/resource.h"
#include "platform/ui/user_input.h"
#include "platform/ui/window_system.h"
#include "platform/win32.h"
#include "support/recording_message_box.h"
#include "support/temp_dir.h"
#include "support/test_worker.h"
#include "support/window_driver.h"
#include "support/working_directory.h"

using tarvex::platform::MessageBoxRequest;
using tarvex::platform::SerialPortList;

namespace main_window_test {

using drive::Choose;
using drive::Click;
using drive::RunModal;
using drive::Settle;
using drive::WaitUntil;

// The main dialog with jobs that record which one ran, then end as the real ones do.
class TestLoaderDialog : public LoaderDialog {
  public:
    explicit TestLoaderDialog(SerialPortList ports = std::vector<std::wstring>{L"/dev/ttyS0",
                                                                               L"/dev/ttyUSB0"})
        : LoaderDialog(nullptr, [ports] { return ports; }) {}
    ~TestLoaderDialog() override { EndJobs(); }

    bool ReprogramConsole() override { return Job(L"console", m_hConsoleEvent); }
    bool SendFieldUpdate() override { return Job(L"sign", m_hSignEvent); }

    std::vector<std::wstring> JobsRun() {
        std::lock_guard guard(mutex_);
        return jobsRun_;
    }

    // Runs inside each job on the worker thread, before the job's end.
    std::function<void(TestLoaderDialog&)> jobBody;
    // Public: the test reads how often the window closed.
    std::atomic<int> closes{0};
    using LoaderDialog::cancellation_;
    using LoaderDialog::m_bStepProgress;
    using LoaderDialog::m_nPortIndex;
    using LoaderDialog::m_nSetupType;
    using LoaderDialog::m_progress;
    using LoaderDialog::m_status;
    using LoaderDialog::m_strCustomFile;
    using LoaderDialog::OnTimer;

  protected:
    void OnClose() override {
        ++closes;
        LoaderDialog::OnClose();
    }

  private:
    bool Job(const wchar_t* jobName, HANDLE event) {
        {
            std::lock_guard guard(mutex_);
            jobsRun_.push_back(jobName);
        }
        if (jobBody) jobBody(*this);
        ResetEvent(event);
        StopThread(nullptr, 50);
        EnableControlsAfterJob();
        return true;
    }

    std::mutex mutex_;
    std::vector<std::wstring> jobsRun_;
};

// Each test runs in a working directory of its own that holds the built-in firmware files.
class MainWindowTest : public testing::Test {
  protected:
    MainWindowTest() { workdir.WriteBuiltInFirmware(); }
    ScopedWorkingDirectory workdir;
};

// A job body that says it has started, then waits until the test releases it.
inline std::function<void(TestLoaderDialog&)> BlockUntil(TestEvent& started, TestEvent& release) {
    return [&started, &release](TestLoaderDialog&) {
        started.Set();
        release.WaitFor();
    };
}

using drive::Checked;
using drive::Enabled;
using drive::Text;

inline std::wstring StatusText(const CDialog& dialog) { return Text(dialog, IDC_STATUS); }

inline UINT MenuState(const CDialog& dialog, UINT id) {
    return dialog.GetMenu().GetMenuState(id, MF_BYCOMMAND);
}

}  // namespace main_window_test
