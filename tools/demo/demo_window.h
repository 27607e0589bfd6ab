// The demo's window: the real main window, whose every status line, progress value and message
// box is printed as it happens, each box answered with OK.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/loader_dialog.h"
#include "platform/system/message_box.h"
#include "update/forwarding_job_host.h"

namespace demo {

// Prints one line of the demo's report at once.
void Print(const std::string& line);

// Reports every status line a job sets.
class PrintingHost : public tarvex::update::ForwardingJobHost {
  public:
    PrintingHost(std::unique_ptr<tarvex::update::JobHost> inner,
                 std::vector<std::wstring>& statuses, std::atomic<int>& ends)
        : ForwardingJobHost(std::move(inner)), statuses_(statuses), ends_(ends) {}
    void SetStatus(const std::wstring& text) override;
    void EnableControlsAfterJob() override;

  private:
    std::vector<std::wstring>& statuses_;
    std::atomic<int>& ends_;
};

class DemoDialog : public LoaderDialog {
  public:
    // What the demo prints: the status line, the bar and the choice start-up made.
    using LoaderDialog::m_nSetupType;
    using LoaderDialog::m_progress;
    using LoaderDialog::m_status;
    using LoaderDialog::m_strCustomFile;

    explicit DemoDialog(std::vector<std::wstring> ports);
    DemoDialog();  // with the system's own port table, as the program has it
    ~DemoDialog() override { EndJobs(); }
    std::unique_ptr<tarvex::update::JobHost> MakeJobHost(HANDLE jobEvent) override;
    std::wstring LastStatus();
    bool SawStatus(const std::wstring& text);

    // Public: the demo reads the status lines and the job ends.
    std::vector<std::wstring> statuses;
    std::atomic<int> ends{0};
};

class PrintingMessageBox final : public tarvex::platform::MessageBoxPresenter {
  public:
    int Show(const tarvex::platform::MessageBoxRequest& request) override;
    // Public: the demo counts the boxes it answered.
    std::atomic<int> shown{0};
};

// Prints every position the progress bar takes, with its top.
void WatchProgress(DemoDialog& dialog);
// Closes the window as File > Exit does: through the close sequence, which saves the settings.
void Close(DemoDialog& dialog);
// Presses Update with the setup type of `radioId` (or the one the window shows, for 0) and
// waits for the job to end, or for the window to close (the job then goes with it).
bool RunJob(DemoDialog& dialog, int radioId, std::chrono::milliseconds timeout);

// The simulated console and sign updated one after the other (Linux, where the simulators
// run); the exit status.
int RunBothDevices();
// Lets the window system draw offscreen where there is no display.
void DrawOffscreenWithoutADisplay();

}  // namespace demo
