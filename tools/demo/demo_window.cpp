#include "demo_window.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "app/resource.h"
#include "platform/text.h"
#include "platform/ui/control_watch.h"
#include "support/window_driver.h"

using tarvex::platform::ToUtf8;

namespace demo {
namespace {

std::mutex g_print;  // guards the report and the status lines

}  // namespace

void Print(const std::string& line) {
    std::lock_guard guard(g_print);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void PrintingHost::SetStatus(const std::wstring& text) {
    Print("status:   " + ToUtf8(text));
    {
        std::lock_guard guard(g_print);
        statuses_.push_back(text);
    }
    ForwardingJobHost::SetStatus(text);
}

void PrintingHost::EnableControlsAfterJob() {
    ForwardingJobHost::EnableControlsAfterJob();
    ++ends_;
}

DemoDialog::DemoDialog(std::vector<std::wstring> ports)
    : LoaderDialog(nullptr, [ports] { return tarvex::platform::SerialPortList(ports); }) {}

DemoDialog::DemoDialog() = default;

std::unique_ptr<tarvex::update::JobHost> DemoDialog::MakeJobHost(HANDLE jobEvent) {
    return std::make_unique<PrintingHost>(LoaderDialog::MakeJobHost(jobEvent), statuses, ends);
}

std::wstring DemoDialog::LastStatus() {
    std::lock_guard guard(g_print);
    return statuses.empty() ? std::wstring() : statuses.back();
}

bool DemoDialog::SawStatus(const std::wstring& text) {
    std::lock_guard guard(g_print);
    return std::find(statuses.begin(), statuses.end(), text) != statuses.end();
}

int PrintingMessageBox::Show(const tarvex::platform::MessageBoxRequest& request) {
    Print("message:  [" + ToUtf8(request.caption) + "] " + ToUtf8(request.text) + " -> OK");
    ++shown;
    return IDOK;
}

void WatchProgress(DemoDialog& dialog) {
    tarvex::platform::WatchProgressBar(dialog, IDC_PROGRESS, [&dialog](int position) {
        int lower = 0;
        int upper = 0;
        dialog.m_progress.GetRange(lower, upper);
        Print("progress: " + std::to_string(position) + " of " + std::to_string(upper));
    });
}

void Close(DemoDialog& dialog) {
    Print("press:    File > Exit");
    dialog.PostMessage(WM_CLOSE);
}

bool RunJob(DemoDialog& dialog, int radioId, std::chrono::milliseconds timeout) {
    const int endsBefore = dialog.ends;
    if (radioId != 0) drive::Click(dialog, radioId);
    Print("press:    Update");
    drive::Click(dialog, IDC_UPDATE);
    // The window may be closed meanwhile (its close box, the end of the session): the job then
    // goes with it.
    return drive::WaitUntil([&] { return dialog.ends > endsBefore || !dialog.IsWindowVisible(); },
                            static_cast<int>(timeout.count()));
}

}  // namespace demo
